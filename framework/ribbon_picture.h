#pragma once

// The pictures that ribbon callbacks answer: a control's image as a 32-bit bitmap with alpha
// (transparent where the glyph shows its transparent colour), and a menu item's icon.

#include "base/bitmap.h"
#include "host/desktop.h"
#include "host/object.h"

namespace tarvex::framework {

class TadxRibbonComponent;
class TadxRibbonCustomControl;

/// `source` as a 32-bit top-down bitmap of the same size: the pixels copied, alpha 255 when
/// the source has no alpha of its own, then alpha 0 on every pixel whose colour is the
/// source's transparent colour (the named one, else the bottom-left pixel's).
base::Bitmap RibbonAlphaBitmap(const base::Bitmap& source);

/// The image of a ribbon component: its Glyph, else entry ImageIndex of its tab's Images, as
/// an OLE bitmap picture with alpha; null when there is neither (a tab never has one).
host::Ref<host::Dispatch> RibbonPicture(host::Desktop& desktop,
                                        const TadxRibbonComponent& component);

/// The icon of a ribbon item: its Glyph masked with the colour of the glyph's bottom-left
/// pixel, else entry ImageIndex of its tab's Images masked with that image's transparent
/// colour, as an OLE icon picture that owns its icon; null when there is neither.
host::Ref<host::Dispatch> RibbonItemPicture(host::Desktop& desktop,
                                            const TadxRibbonCustomControl& item);

} // namespace tarvex::framework
