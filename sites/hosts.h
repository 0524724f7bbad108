// The host names of the two sites: bare names (a port may follow after ":" when the sites are
// served locally), without scheme or trailing "/". Their defaults are build options; tests and
// the demo point them at 127.0.0.1.
#pragma once

#include "text/text.h"

namespace pagewick {

struct SiteHosts {
  Text siteASearch;    // SiteASearchHost: site A's search service
  Text siteADownload;  // SiteADownloadHost: site A's file downloads
  Text siteAImage;     // SiteAImageHost: only inside a marker of site A's answer
  Text siteABook;      // SiteABookHost: only inside a marker of site A's answer
  Text siteB;          // SiteBHost: everything of site B
};

const SiteHosts& Hosts();

// Replaces the host names for the rest of the run (tests and the demo).
void SetHosts(const SiteHosts& hosts);

}  // namespace pagewick
