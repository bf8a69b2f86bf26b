#include "zylcarto/geomap/view/tile_memory.h"

#include <algorithm>
#include <cstddef>
#include <new>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace zylcarto {

namespace {

// The size of a huge page on x86-64 and most ARM kernels.
constexpr std::size_t kBlock = std::size_t{2} << 20;

void* AllocateBlocks(std::size_t Bytes) {
    Bytes = (Bytes + kBlock - 1) / kBlock * kBlock;
    void* p = ::operator new(Bytes, std::align_val_t{kBlock}, std::nothrow);
#if defined(MADV_HUGEPAGE)
    if (p) madvise(p, Bytes, MADV_HUGEPAGE);  // only advice: no huge pages, no harm
#endif
    return p;
}

void FreeBlocks(void* P) { ::operator delete(P, std::align_val_t{kBlock}); }

}  // namespace

struct TTileMemory::TPool {
    int Side = 0;
    std::size_t SlotBytes = 0;
    std::vector<void*> Blocks;
    std::vector<uchar*> Free;
    ~TPool() {
        for (void* b : Blocks) FreeBlocks(b);
    }
};

namespace {

// What a tile's image gives back when its last copy goes.
struct TLoan {
    std::shared_ptr<void> Pool;  // keeps the blocks while a tile lives
    std::vector<uchar*>* Free;
    uchar* Slot;
};

void Return(void* Info) {
    auto* loan = static_cast<TLoan*>(Info);
    loan->Free->push_back(loan->Slot);
    delete loan;
}

}  // namespace

TTileMemory::TTileMemory(int Side) : P(std::make_shared<TPool>()) {
    P->Side = Side;
    P->SlotBytes = static_cast<std::size_t>(Side) * static_cast<std::size_t>(Side) * 4;
}

QImage TTileMemory::Tile(QSize Size) {
    if (P->Free.empty()) {
        const std::size_t perBlock = std::max<std::size_t>(1, kBlock / P->SlotBytes);
        auto* block = static_cast<uchar*>(AllocateBlocks(perBlock * P->SlotBytes));
        if (!block) return {};
        P->Blocks.push_back(block);
        for (std::size_t k = perBlock; k-- > 0;) P->Free.push_back(block + k * P->SlotBytes);
    }
    uchar* slot = P->Free.back();
    P->Free.pop_back();
    return QImage(slot, Size.width(), Size.height(), P->Side * 4, QImage::Format_RGB32, Return,
                  new TLoan{P, &P->Free, slot});
}

QImage LargeImage(QSize Size) {
    const std::size_t bytes = static_cast<std::size_t>(std::max(0, Size.width())) *
                              static_cast<std::size_t>(std::max(0, Size.height())) * 4;
    // below a block, rounding up would cost more than the faults saved
    void* memory = bytes >= kBlock ? AllocateBlocks(bytes) : nullptr;
    if (!memory) return QImage(Size, QImage::Format_RGB32);
    return QImage(static_cast<uchar*>(memory), Size.width(), Size.height(), Size.width() * 4, QImage::Format_RGB32,
                  FreeBlocks, memory);
}

}  // namespace zylcarto
