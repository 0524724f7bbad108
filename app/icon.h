// The program's icon, drawn in code: a 32 x 32 image with an alpha channel showing a closed book
// with a download arrow. The window shows it in its caption bar; the build saves the same
// image as the PNG installed with the program.
#pragma once

#include <QImage>

namespace pagewick {

QImage DrawIcon();

}  // namespace pagewick
