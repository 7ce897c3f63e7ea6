// The object base of the system: persistent objects that copy themselves with
// Assign, and components that own other components and tell watchers when
// they are destroyed, so that a reference held elsewhere is cleared in time.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qel {

// The root of every class that can be the sender of an event.
class TObject {
public:
    virtual ~TObject() = default;
    // The class name shown in messages ("TVelmorin: ...").
    virtual std::string ClassName() const { return "TObject"; }
};

// Objects that copy their state from an object of a compatible class. A copy
// between unrelated classes raises EConvertError
// "Cannot assign a <source class> to a <destination class>.".
class TPersistent : public TObject {
public:
    std::string ClassName() const override { return "TPersistent"; }

    // Copies Source into this object. The base asks Source to copy itself
    // into this object (AssignTo), which fails for a foreign class.
    virtual void Assign(const TPersistent& Source);

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;

    // Copies this object into Dest; the base raises the assignment error.
    virtual void AssignTo(TPersistent& Dest) const;

    [[noreturn]] void AssignError(const TPersistent* Source) const;
};

enum class TOperation : unsigned char { opInsert, opRemove };

// A component: a name, an owner that frees it, the components it owns, and
// free notification. Components are not copyable; ownership moves as
// std::unique_ptr through InsertComponent/RemoveComponent (CreateOwned makes
// and inserts in one step); the constructor's AOwner is not an owner yet.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string ClassName() const override { return "TComponent"; }

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& v) { m_name = v; }

    TComponent* Owner() const { return m_owner; }
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int Index) const { return m_components.at(Index).get(); }

    // Takes ownership of AComponent and returns it. Its owner becomes this.
    template <class T>
    T* InsertComponent(std::unique_ptr<T> AComponent)
    {
        T* raw = AComponent.get();
        Adopt(std::unique_ptr<TComponent>(std::move(AComponent)));
        return raw;
    }
    // Gives up ownership of AComponent (nullptr when not owned here).
    std::unique_ptr<TComponent> RemoveComponent(TComponent* AComponent);

    // Creates a component owned by this one.
    template <class T, class... Args>
    T* CreateOwned(Args&&... args)
    {
        return InsertComponent(std::make_unique<T>(this, std::forward<Args>(args)...));
    }

    // Asks that this component's Notification(AComponent, opRemove) runs when
    // AComponent is destroyed. The request is mutual and is dropped when
    // either side is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Component being designed or loaded from a stored description; the
    // system never designs, so both stay off unless a caller sets them.
    bool Designing = false;
    bool Loading = false;

protected:
    // Told when a watched or owned component goes (opRemove) or an owned one
    // arrives (opInsert). Overrides clear their references and call the base.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Sends Notification(AComponent, Operation) to every owned component.
    void NotifyOwned(TComponent* AComponent, TOperation Operation);

private:
    void Adopt(std::unique_ptr<TComponent> AComponent);
    void Unlink(TComponent* Other);

    std::string m_name;
    TComponent* m_owner = nullptr;
    std::vector<std::unique_ptr<TComponent>> m_components;
    std::vector<TComponent*> m_freeNotifies; // watched by and watching, both ways
    bool m_destroying = false;
};

} // namespace qel
