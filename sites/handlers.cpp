#include "sites/handlers.h"

namespace pagewick {

Text CurrentBookInfo;
Text CurrentDownloadUrl;

// The handlers' bodies arrive with the site searches.
void FeikuSearch() {}
void BxwxTableSearch() {}
void BxwxFormSearch() {}

}  // namespace pagewick
