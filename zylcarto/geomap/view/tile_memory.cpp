#include "zylcarto/geomap/view/tile_memory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace zylcarto {

namespace {

// The size of a huge page on x86-64 and most ARM kernels.
constexpr std::size_t kBlock = std::size_t{2} << 20;

// Whole blocks, given back to the system when freed so that the memory of a
// closed image does not stay with the process.
struct TBlocks {
    void* Memory = nullptr;
    std::size_t Bytes = 0;
};

TBlocks AllocateBlocks(std::size_t Bytes) {
    Bytes = (Bytes + kBlock - 1) / kBlock * kBlock;
#if defined(__linux__)
    // mapped one block larger and cut to a block boundary, as huge pages need
    void* raw = mmap(nullptr, Bytes + kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return {};
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kBlock - 1) & ~std::uintptr_t{kBlock - 1};
    if (aligned > start) munmap(raw, aligned - start);
    if (const std::size_t tail = start + kBlock - aligned; tail > 0)
        munmap(reinterpret_cast<void*>(aligned + Bytes), tail);
    madvise(reinterpret_cast<void*>(aligned), Bytes, MADV_HUGEPAGE);  // only advice: no huge pages, no harm
    return {reinterpret_cast<void*>(aligned), Bytes};
#else
    return {::operator new(Bytes, std::align_val_t{kBlock}, std::nothrow), Bytes};
#endif
}

void FreeBlocks(const TBlocks& B) {
#if defined(__linux__)
    munmap(B.Memory, B.Bytes);
#else
    ::operator delete(B.Memory, std::align_val_t{kBlock});
#endif
}

}  // namespace

struct TTileMemory::TPool {
    int Side = 0;
    std::size_t SlotBytes = 0;
    std::vector<TBlocks> Blocks;
    std::vector<uchar*> Free;
    ~TPool() {
        for (const TBlocks& b : Blocks) FreeBlocks(b);
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
        const TBlocks blocks = AllocateBlocks(perBlock * P->SlotBytes);
        if (!blocks.Memory) return {};
        P->Blocks.push_back(blocks);
        auto* block = static_cast<uchar*>(blocks.Memory);
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
    const TBlocks blocks = bytes >= kBlock ? AllocateBlocks(bytes) : TBlocks{};
    if (!blocks.Memory) return QImage(Size, QImage::Format_RGB32);
    return QImage(
        static_cast<uchar*>(blocks.Memory), Size.width(), Size.height(), Size.width() * 4, QImage::Format_RGB32,
        [](void* Info) {
            FreeBlocks(*static_cast<TBlocks*>(Info));
            delete static_cast<TBlocks*>(Info);
        },
        new TBlocks(blocks));
}

}  // namespace zylcarto
