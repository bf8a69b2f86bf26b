#pragma once
// Images that are copied whole onto the screen, such as the composed map.
#include <QImage>

namespace zylcarto {

// A new image like QImage(Width, Height, Format), with its pixels 64 bytes past
// a page boundary. Qt copies a frame several times slower when the target lies
// 16 bytes past the source modulo the page size, which is where a same-sized
// window surface taken from malloc right after it lands; page-aligned and
// malloc'ed surfaces are both well clear of 64.
QImage NewScreenImage(int Width, int Height, QImage::Format Format);

}  // namespace zylcarto
