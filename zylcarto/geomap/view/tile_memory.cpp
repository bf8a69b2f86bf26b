#include "zylcarto/geomap/view/tile_memory.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace zylcarto {

namespace {

constexpr std::size_t kSlabBytes = std::size_t{2} << 20;
// Empty slabs kept: 16 MB, the 256-pixel tiles over a 1920 x 1080 view.
constexpr int kSpareSlabs = 8;

// Whole slabs, advised for huge pages; null when there is no memory.
uchar* NewSlabs(std::size_t Bytes) {
    auto* Base = static_cast<uchar*>(std::aligned_alloc(kSlabBytes, Bytes));
#ifdef MADV_HUGEPAGE
    if (Base) madvise(Base, Bytes, MADV_HUGEPAGE);  // advice only: without it the memory works all the same
#endif
    return Base;
}

}  // namespace

struct TTileMemory::TState {
    struct TSlab {
        uchar* Base = nullptr;
        std::uint32_t Free = 0;  // a bit for each free slot
    };
    struct TSlot {
        TState* State;
        uchar* Data;
    };

    ~TState() {
        for (const TSlab& Slab : Slabs) std::free(Slab.Base);
    }

    std::mutex Lock;
    int Side = 0, Slots = 0;
    std::size_t SlotBytes = 0;
    std::vector<TSlab> Slabs;
    int Users = 1;  // the owner and each slot handed out

    std::uint32_t AllFree() const { return Slots >= 32 ? ~0u : (1u << Slots) - 1; }

    // Frees the empty slabs beyond Keep; under Lock.
    void Trim(int Keep) {
        for (std::size_t i = Slabs.size(); i-- > 0;)
            if (Slabs[i].Free == AllFree() && Keep-- <= 0) {
                std::free(Slabs[i].Base);
                Slabs.erase(Slabs.begin() + std::ptrdiff_t(i));
            }
    }
    // Drops one user; true when the state is no longer needed.
    bool Release() { return --Users == 0; }

    static void GiveBack(void* Info) {
        const TSlot* Slot = static_cast<TSlot*>(Info);
        TState* S = Slot->State;
        bool Last;
        {
            const std::lock_guard Guard(S->Lock);
            for (TSlab& Slab : S->Slabs)
                if (Slot->Data >= Slab.Base && Slot->Data < Slab.Base + kSlabBytes) {
                    Slab.Free |= 1u << ((Slot->Data - Slab.Base) / std::ptrdiff_t(S->SlotBytes));
                    break;
                }
            S->Trim(kSpareSlabs);
            Last = S->Release();
        }
        delete Slot;
        if (Last) delete S;
    }
};

TTileMemory::TTileMemory(int Side) : FState(new TState) {
    FState->Side = Side;
    FState->SlotBytes = std::size_t(Side) * std::size_t(Side) * sizeof(QRgb);
    FState->Slots = int(std::min<std::size_t>(32, std::max<std::size_t>(1, kSlabBytes / FState->SlotBytes)));
}

TTileMemory::~TTileMemory() {
    bool Last;
    {
        const std::lock_guard Guard(FState->Lock);
        FState->Trim(0);
        Last = FState->Release();
    }
    if (Last) delete FState;
}

QImage TTileMemory::NewTile(QSize Size) {
    TState& S = *FState;
    if (Size.width() > S.Side || Size.height() > S.Side || Size.isEmpty()) return QImage(Size, QImage::Format_RGB32);
    uchar* Data = nullptr;
    {
        const std::lock_guard Guard(S.Lock);
        // The fullest slab with room, so that the others can empty.
        TState::TSlab* Best = nullptr;
        for (TState::TSlab& Slab : S.Slabs)
            if (Slab.Free && (!Best || std::popcount(Slab.Free) < std::popcount(Best->Free))) Best = &Slab;
        if (!Best) {
            uchar* Base = NewSlabs(kSlabBytes);
            if (!Base) return QImage(Size, QImage::Format_RGB32);
            Best = &S.Slabs.emplace_back(TState::TSlab{Base, S.AllFree()});
        }
        const int Index = std::countr_zero(Best->Free);
        Best->Free &= ~(1u << Index);
        Data = Best->Base + std::size_t(Index) * S.SlotBytes;
        ++S.Users;
    }
    return QImage(Data, Size.width(), Size.height(), qsizetype(S.Side) * qsizetype(sizeof(QRgb)),
                  QImage::Format_RGB32, &TState::GiveBack, new TState::TSlot{FState, Data});
}

QImage LargeImage(QSize Size) {
    const std::size_t Bytes = std::size_t(std::max(0, Size.width())) * std::size_t(std::max(0, Size.height())) * 4;
    // below a slab, rounding up would cost more than the faults saved
    uchar* Base = Bytes >= kSlabBytes ? NewSlabs((Bytes + kSlabBytes - 1) / kSlabBytes * kSlabBytes) : nullptr;
    if (!Base) return QImage(Size, QImage::Format_RGB32);
    return QImage(Base, Size.width(), Size.height(), qsizetype(Size.width()) * 4, QImage::Format_RGB32, std::free, Base);
}

}  // namespace zylcarto
