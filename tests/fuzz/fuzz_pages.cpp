// libFuzzer entry point for what the program scrapes from the network: result pages of
// both search services, the providers' JSON replies, raw response headers and addresses,
// all hostile by assumption.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lookup/http_fetch.h"
#include "lookup/providers.h"
#include "lookup/search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> body(data, data + size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const lookup::Service service : {lookup::Service::baidu, lookup::Service::soso}) {
    const std::string page = lookup::servicePage(service, body);
    lookup::pageHasNoResult(service, page);
    lookup::firstTitle(service, page);
    lookup::resultListRows(service, page);
    lookup::resultPageCaption(page);
  }
  for (const lookup::Provider provider : lookup::providerOrder())
    lookup::readProviderReply(provider, text);
  lookup::cookieLines(text);
  lookup::splitAddress(text);
  lookup::percentDecodeUtf8(text);
  lookup::percentEncode(text);
  return 0;
}
