#pragma once
/// @file
/// TObject is what events pass as Sender; TComponent adds a Name and an owner
/// that destroys what it owns, for the non-visual components of the core.
/// Widgets take the same roles from QWidget's parent and object name. Like
/// every component, these belong to the thread that made them: nothing is
/// locked.
#include <functional>
#include <string>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// The common base of everything that fires events; a handler's Sender.
class ZYLCARTO_EXPORT TObject {
public:
    /// Virtual, so a Sender can be cast back to the component that fired.
    virtual ~TObject() = default;
};

/// A non-visual component with a name and an owner. Create it with new and an
/// owner, and the owner deletes it; without an owner the host deletes it.
class ZYLCARTO_EXPORT TComponent : public TObject {
public:
    /// Registers the component with AOwner, which then deletes it with itself.
    explicit TComponent(TComponent* AOwner = nullptr);
    /// Deletes the owned components, newest first, and leaves the owner's list.
    ~TComponent() override;
    /// Not copyable: ownership is by identity.
    TComponent(const TComponent&) = delete;
    /// Not assignable.
    TComponent& operator=(const TComponent&) = delete;

    /// The name that prefixes the messages of the component's exceptions.
    const std::string& Name() const { return FName; }
    /// Sets Name; any text is accepted.
    void SetName(const std::string& Value) { FName = Value; }
    /// The owner given at creation, or null.
    TComponent* Owner() const { return FOwner; }
    /// Number of components this one owns.
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    /// Owned component Index, 0..ComponentCount()-1, in order of creation;
    /// raises std::out_of_range for another index.
    TComponent* Components(int Index) const { return FComponents.at(static_cast<std::size_t>(Index)); }

private:
    void InsertComponent(TComponent* c) { FComponents.push_back(c); }
    void RemoveComponent(TComponent* c);

    std::string FName;
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
};

/// The stages of a visual component's life in which its setters do less:
/// inside a form designer, and while a form loader restores its properties.
/// Owned by the component, on its thread; Assign does not copy it.
class ZYLCARTO_EXPORT TComponentState {
public:
    /// Work that a setter puts off while loading.
    using TAction = std::function<void()>;

    /// True inside a form designer: no files are loaded and no host events fired.
    bool Designing() const { return FDesigning; }
    /// Entering the designing state drops the kept actions: none of them may run there.
    void SetDesigning(bool Value);
    /// True between BeginLoading and EndLoading.
    bool Loading() const { return FLoading; }
    /// Starts keeping actions; calling it again while loading changes nothing.
    void BeginLoading() { FLoading = true; }
    /// Runs Action at once, unless loading: then it is kept for EndLoading in
    /// place of one kept earlier under the same Key. Stages order the kept
    /// actions (the lower first), so that a file load runs before the
    /// properties that refine what it loaded, whatever the order of the calls.
    void RunOrKeep(int Stage, const std::string& Key, TAction Action);
    /// Leaves the loading state and runs the kept actions by stage, within one
    /// stage in the order of their keys' first use; false when not loading.
    /// An action that raises drops the ones after it, and the state is left.
    bool EndLoading();

private:
    struct TKept {
        int Stage;
        std::string Key;
        TAction Action;
    };
    bool FDesigning = false;
    bool FLoading = false;
    std::vector<TKept> FKept;
};

}  // namespace zylcarto
