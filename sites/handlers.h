// The three search handlers, one per button, and the two texts they share between clicks.
// Each reads the entry box, searches its site, asks "是否下载" and on Yes saves the book into
// the run directory. They talk to the window only through the desk (desk.h).
#pragma once

#include "text/text.h"

namespace pagewick {

// Written by the two site B handlers, read later in the same click; released by ExitHook.
extern Text CurrentBookInfo;
extern Text CurrentDownloadUrl;

void FeikuSearch();      // button feiku: site A
void BxwxTableSearch();  // button bxwx: site B, the results table
void BxwxFormSearch();   // button bxwx1: site B, the search form

}  // namespace pagewick
