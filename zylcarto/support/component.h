#pragma once
// TObject is what events pass as Sender; TComponent adds a Name and an owner
// that destroys what it owns, for the non-visual components of the core.
// Widgets take the same roles from QWidget's parent and object name.
#include <string>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

class ZYLCARTO_EXPORT TObject {
public:
    virtual ~TObject() = default;
};

class ZYLCARTO_EXPORT TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value) { FName = Value; }
    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const { return FComponents.at(static_cast<std::size_t>(Index)); }

private:
    void InsertComponent(TComponent* c) { FComponents.push_back(c); }
    void RemoveComponent(TComponent* c);

    std::string FName;
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
};

} // namespace zylcarto
