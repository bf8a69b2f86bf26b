#pragma once
// Pixel memory for the tiles of a large image and for the windows read from
// them, taken in blocks that the kernel may back with huge pages and handed
// on from tile to tile: the first touch of fresh small pages costs a fault
// per 4 KB, which on a busy or virtual machine outweighs decoding the pixels.
#include <QImage>
#include <memory>
#include <vector>

namespace zylcarto {

class TTileMemory {
public:
    // Tiles of up to Side x Side RGB32 pixels.
    explicit TTileMemory(int Side);
    TTileMemory(const TTileMemory&) = delete;
    TTileMemory& operator=(const TTileMemory&) = delete;

    // An RGB32 tile of Size (within Side x Side) whose memory returns for the
    // next tile when the last copy of the image goes, also after this object.
    QImage Tile(QSize Size);

private:
    struct TPool;
    std::shared_ptr<TPool> P;
};

// An RGB32 image of Size, on memory advised for huge pages when it is at
// least one; null when there is not enough memory.
QImage LargeImage(QSize Size);

}  // namespace zylcarto
