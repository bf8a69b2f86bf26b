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

}  // namespace zylcarto
