#pragma once
// Pixel memory for tiles (the view cache's, a large image's) and for the
// windows read from a large image, carved from 2 MB slabs that the kernel may
// back with one huge page each. A tile taken from fresh memory otherwise costs
// one page fault per 4 KB, which in a virtual machine outweighs scaling or
// decoding the tile, and a pan makes a strip of tiles at a time. A slot comes
// back when the last copy of its image goes; emptied slabs are given back to
// the system beyond a few kept for the next tiles, as many as a full-screen
// view needs, because a zoom step frees the old magnification's tiles just
// before it makes the new one's.
#include <QImage>
#include <QSize>

namespace zylcarto {

class TTileMemory {
public:
    // Slots of Side x Side RGB32 pixels.
    explicit TTileMemory(int Side);
    ~TTileMemory();
    TTileMemory(const TTileMemory&) = delete;
    TTileMemory& operator=(const TTileMemory&) = delete;

    // An RGB32 image of Size (at most Side x Side), its pixels not set, in a
    // slot; a plain image when no slab can be had. Its copies may outlive this.
    QImage NewTile(QSize Size);

private:
    struct TState;
    TState* FState;  // shared with the tiles handed out; the last of them deletes it
};

// An RGB32 image of Size, its pixels not set, on memory advised for huge pages
// when it takes at least a slab; null when there is not enough memory.
QImage LargeImage(QSize Size);

}  // namespace zylcarto
