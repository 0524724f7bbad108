#include "sites/hosts.h"

namespace pagewick {
namespace {

SiteHosts& Current() {
  static SiteHosts hosts{PAGEWICK_SITE_A_SEARCH_HOST, PAGEWICK_SITE_A_DOWNLOAD_HOST,
                         PAGEWICK_SITE_A_IMAGE_HOST, PAGEWICK_SITE_A_BOOK_HOST,
                         PAGEWICK_SITE_B_HOST};
  return hosts;
}

}  // namespace

const SiteHosts& Hosts() { return Current(); }

void SetHosts(const SiteHosts& hosts) { Current() = hosts; }

}  // namespace pagewick
