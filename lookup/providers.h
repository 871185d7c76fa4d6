// The current lyric-search providers: public JSON endpoints of music services (netease,
// qqmusic, genius) that name songs from a line of lyrics. They are unofficial, so every
// answer is read defensively: a provider that answers but refuses (an error code, a
// rate-limit text, a reply without its list) is told apart from one that found nothing.
// Lyrics, titles, artists and messages are local text; the replies are UTF-8 JSON.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lookup {

enum class Provider { netease, qqmusic, genius };

// The fixed facts of a provider.
struct ProviderFacts {
  std::string name;          // as given to `lyrivane lookup --service`
  std::string defaultBase;   // scheme, host and port of the public endpoint
  std::string baseVariable;  // the environment variable that replaces the base
  std::string queryBefore;   // path and query up to the lyrics
  std::string queryAfter;    // the rest of the query
  std::string headers;       // request header lines the provider expects, CR LF terminated
};

const ProviderFacts& providerFacts(Provider provider);

// The provider of a name; none for an unknown name.
std::optional<Provider> providerNamed(const std::string& name);

// The order `auto` asks them in: netease, qqmusic, genius.
const std::vector<Provider>& providerOrder();

// UTF-8 text as a query value: letters, digits and "-._~" stay, every other byte is "%"
// and two upper-case hexadecimal digits (a space is "%20").
std::string encodeQueryValue(const std::string& utf8);

// The base address: the environment variable when set and not empty (without a trailing
// "/"), else the public endpoint.
std::string providerBase(Provider provider);

// The search address for the lyrics (local text, sent as UTF-8).
std::string providerAddress(Provider provider, const std::string& lyrics);

struct ProviderHit {
  std::string title;
  std::string artist;  // the song's artists joined by "/"
  bool operator==(const ProviderHit& o) const { return title == o.title && artist == o.artist; }
};

struct ProviderAnswer {
  enum class Kind {
    hits,     // at least one song
    noHits,   // the provider answered and found nothing
    refused,  // the provider answered with something other than a result list
    failed,   // no answer: the fetch failed or timed out
  };
  Provider provider = Provider::netease;
  Kind kind = Kind::failed;
  std::string address;
  std::vector<ProviderHit> hits;  // in the provider's order
  std::string message;  // refused or failed: "netease refused: -460 Cheating" and the like
};

// Reads a reply body (the HTTP status was 2xx) as the provider's JSON.
ProviderAnswer readProviderReply(Provider provider, const std::string& body);

// Asks one provider for the lyrics (local text).
ProviderAnswer askProvider(Provider provider, const std::string& lyrics);

// Asks the providers in providerOrder() until one answers with hits. Every answer is
// returned, in asking order; the last one holds the hits when any provider had some.
std::vector<ProviderAnswer> askProvidersInTurn(const std::string& lyrics);

}  // namespace lookup
