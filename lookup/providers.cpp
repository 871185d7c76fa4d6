// The current lyric-search providers: their requests, and their JSON replies read through
// a table of where each keeps its status code, its song list and a song's title and artists.
#include "lookup/providers.h"

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "lookup/http_fetch.h"
#include "platform/text.h"

namespace lookup {

namespace {

using nlohmann::json;

// Some of the services turn away the fixed agent of the old search pages; this is what
// their own web pages send.
const char kBrowserAgent[] =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
    "(KHTML, like Gecko) Chrome/124.0.0.0 Safari/537.36\r\n";

// Where a provider's reply keeps what the lookup reads, as JSON pointers (RFC 6901).
struct ReplyShape {
  const char* code;         // the status code, when the reply has one
  const char* successCode;  // its value on success
  const char* message;      // what the provider says beside a failing code
  const char* list;         // the song list
  const char* emptyCount;   // a count that, when 0, stands for a list left out
  const char* title;        // within a list entry
  const char* artists;      // within a list entry: an object with "name", or a list of them
};

struct ProviderTable {
  ProviderFacts facts;
  ReplyShape shape;
};

const ProviderTable& table(Provider provider) {
  static const ProviderTable netease{
      {"netease", "https://music.163.com", "LYRIVANE_NETEASE_URL",
       "/api/search/get/web?s=", "&type=1006&limit=10&offset=0",
       std::string("Referer: https://music.163.com/\r\n") + kBrowserAgent},
      {"/code", "200", "/msg", "/result/songs", "/result/songCount", "/name", "/artists"}};
  static const ProviderTable qqmusic{
      {"qqmusic", "https://c.y.qq.com", "LYRIVANE_QQMUSIC_URL",
       "/soso/fcgi-bin/client_search_cp?format=json&t=7&w=", "&p=1&n=10",
       std::string("Referer: https://y.qq.com\r\n") + kBrowserAgent},
      {"/code", "0", "/msg", "/data/lyric/list", "/data/lyric/totalnum", "/songname", "/singer"}};
  static const ProviderTable genius{
      {"genius", "https://genius.com", "LYRIVANE_GENIUS_URL",
       "/api/search/lyric?q=", "&per_page=10", kBrowserAgent},
      {"/meta/status", "200", "/meta/message", "/response/sections/0/hits", nullptr,
       "/result/title", "/result/primary_artist"}};
  switch (provider) {
    case Provider::netease:
      return netease;
    case Provider::qqmusic:
      return qqmusic;
    case Provider::genius:
      break;
  }
  return genius;
}

// The value a JSON pointer names, or null when any step is missing or of another type.
// Walked by hand so that no lookup can throw.
const json* valueAt(const json& root, const char* pointer) {
  const json* at = &root;
  const std::string path = pointer;
  std::size_t start = 1;
  while (at && start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string token = path.substr(start, end - start);
    start = end + 1;
    if (at->is_object()) {
      const auto it = at->find(token);
      at = it == at->end() ? nullptr : &*it;
    } else if (at->is_array()) {
      const std::size_t index = std::strtoul(token.c_str(), nullptr, 10);
      at = index < at->size() ? &(*at)[index] : nullptr;
    } else {
      at = nullptr;
    }
  }
  return at;
}

// A string or number as text; anything else as nothing.
std::string scalarText(const json* value) {
  if (!value) return {};
  if (value->is_string()) return value->get<std::string>();
  if (value->is_number() || value->is_boolean()) return value->dump();
  return {};
}

// What a provider said, fit for one line: control characters as spaces, at most 200 bytes
// (cut before a UTF-8 continuation byte, so no character is split).
std::string oneLine(std::string text) {
  constexpr std::size_t kMost = 200;
  if (text.size() > kMost) {
    std::size_t cut = kMost;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return text;
}

ProviderAnswer refusal(Provider provider, const std::string& saidUtf8) {
  ProviderAnswer answer;
  answer.provider = provider;
  answer.kind = ProviderAnswer::Kind::refused;
  answer.message =
      table(provider).facts.name + " refused: " + platform::utf8ToLocal(oneLine(saidUtf8));
  return answer;
}

std::string artistsOf(const json* artists) {
  if (!artists) return {};
  if (!artists->is_array()) return scalarText(valueAt(*artists, "/name"));
  std::string joined;
  for (const json& artist : *artists) {
    const std::string name = scalarText(valueAt(artist, "/name"));
    if (!name.empty()) joined += (joined.empty() ? "" : "/") + name;
  }
  return joined;
}

}  // namespace

const ProviderFacts& providerFacts(Provider provider) { return table(provider).facts; }

std::optional<Provider> providerNamed(const std::string& name) {
  for (const Provider p : providerOrder())
    if (providerFacts(p).name == name) return p;
  return std::nullopt;
}

const std::vector<Provider>& providerOrder() {
  static const std::vector<Provider> order{Provider::netease, Provider::qqmusic, Provider::genius};
  return order;
}

std::string encodeQueryValue(const std::string& utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                            (b >= '0' && b <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

std::string providerBase(Provider provider) {
  const ProviderFacts& facts = providerFacts(provider);
  const char* value = std::getenv(facts.baseVariable.c_str());
  std::string base = value && *value ? value : facts.defaultBase;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

std::string providerAddress(Provider provider, const std::string& lyrics) {
  const ProviderFacts& facts = providerFacts(provider);
  return providerBase(provider) + facts.queryBefore +
         encodeQueryValue(platform::localToUtf8(lyrics)) + facts.queryAfter;
}

ProviderAnswer readProviderReply(Provider provider, const std::string& body) {
  const ReplyShape& shape = table(provider).shape;
  // Parsing without exceptions: a reply that is not JSON comes back as "discarded".
  const json reply = json::parse(body, nullptr, false);
  if (reply.is_discarded()) return refusal(provider, "the reply is not JSON");
  // A bare string is what the services send instead of JSON when they limit a caller.
  if (reply.is_string()) return refusal(provider, reply.get<std::string>());
  if (!reply.is_object()) return refusal(provider, "the reply is not a JSON object");

  const json* abroad = valueAt(reply, "/abroad");
  if (abroad && abroad->is_boolean() && abroad->get<bool>())
    return refusal(provider, "abroad (the reply is encrypted for callers outside its region)");
  const json* code = valueAt(reply, shape.code);
  if (code && scalarText(code) != shape.successCode) {
    std::string message = scalarText(valueAt(reply, shape.message));
    if (message.empty()) message = scalarText(valueAt(reply, "/message"));
    return refusal(provider, scalarText(code) + (message.empty() ? "" : " " + message));
  }

  ProviderAnswer answer;
  answer.provider = provider;
  answer.kind = ProviderAnswer::Kind::noHits;
  const json* list = valueAt(reply, shape.list);
  if (!list) {
    // Some services leave the list out when nothing was found, with a count of 0.
    const json* count = shape.emptyCount ? valueAt(reply, shape.emptyCount) : nullptr;
    if (count && scalarText(count) == "0") return answer;
  }
  if (!list || !list->is_array()) return refusal(provider, "no song list in the reply");
  for (const json& entry : *list) {
    const std::string title = scalarText(valueAt(entry, shape.title));
    if (title.empty()) continue;
    answer.hits.push_back({platform::utf8ToLocal(title),
                           platform::utf8ToLocal(artistsOf(valueAt(entry, shape.artists)))});
  }
  if (!answer.hits.empty()) answer.kind = ProviderAnswer::Kind::hits;
  return answer;
}

ProviderAnswer askProvider(Provider provider, const std::string& lyrics) {
  const ProviderFacts& facts = providerFacts(provider);
  const std::string address = providerAddress(provider, lyrics);
  const FetchResult fetched = fetchUrl({address, "", "", facts.headers, ""}, defaultFetchLimits());
  ProviderAnswer answer;
  switch (fetched.outcome) {
    case FetchOutcome::complete:
      answer = readProviderReply(provider, std::string(fetched.body.begin(), fetched.body.end()));
      break;
    case FetchOutcome::httpError:
      answer = refusal(provider, "HTTP " + std::to_string(fetched.status));
      break;
    default:
      answer.kind = ProviderAnswer::Kind::failed;
      answer.message = facts.name + " failed: " + outcomeReason(fetched.outcome, fetched.status);
      break;
  }
  answer.provider = provider;
  answer.address = address;
  return answer;
}

std::vector<ProviderAnswer> askProvidersInTurn(const std::string& lyrics) {
  std::vector<ProviderAnswer> answers;
  for (const Provider provider : providerOrder()) {
    answers.push_back(askProvider(provider, lyrics));
    if (answers.back().kind == ProviderAnswer::Kind::hits) break;
  }
  return answers;
}

}  // namespace lookup
