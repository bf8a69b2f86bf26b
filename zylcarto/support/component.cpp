#include "zylcarto/support/component.h"

#include <algorithm>

namespace zylcarto {

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
    if (FOwner) FOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    // Children leave the list as they are destroyed, so take them from the back.
    while (!FComponents.empty()) delete FComponents.back();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::RemoveComponent(TComponent* c) {
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), c), FComponents.end());
}

void TComponentState::SetDesigning(bool Value) {
    FDesigning = Value;
    if (FDesigning) FKept.clear();
}

void TComponentState::RunOrKeep(int Stage, const std::string& Key, TAction Action) {
    if (!FLoading) {
        Action();
        return;
    }
    const auto Same = std::find_if(FKept.begin(), FKept.end(), [&](const TKept& K) { return K.Key == Key; });
    if (Same != FKept.end())
        *Same = {Stage, Key, std::move(Action)};
    else
        FKept.push_back({Stage, Key, std::move(Action)});
}

bool TComponentState::EndLoading() {
    if (!FLoading) return false;
    FLoading = false;
    std::vector<TKept> Kept = std::move(FKept);
    FKept.clear();
    std::stable_sort(Kept.begin(), Kept.end(), [](const TKept& A, const TKept& B) { return A.Stage < B.Stage; });
    for (const TKept& K : Kept) K.Action();
    return true;
}

}  // namespace zylcarto
