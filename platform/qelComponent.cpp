#include "qelComponent.h"

#include "qelErrors.h"

#include <algorithm>

namespace qel {

void TPersistent::Assign(const TPersistent& Source) { Source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& Dest) const { Dest.AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const
{
    const std::string source = Source != nullptr ? Source->ClassName() : std::string("nil");
    throw EConvertError("Cannot assign a " + source + " to a " + ClassName() + ".");
}

// The owner takes the component only when it is handed over as a unique_ptr
// (InsertComponent, CreateOwned); remembering AOwner before that would leave
// a dangling Owner() for a component that is never handed over.
TComponent::TComponent(TComponent* /*AOwner*/) {}

TComponent::~TComponent()
{
    m_destroying = true;
    // Owned components go first, newest first, like a form freeing its children.
    while (!m_components.empty()) {
        std::unique_ptr<TComponent> child = std::move(m_components.back());
        m_components.pop_back();
        child.reset();
    }
    // Tell every watcher that this component is gone and forget the links.
    std::vector<TComponent*> links;
    links.swap(m_freeNotifies);
    for (TComponent* other : links) {
        other->Unlink(this);
        if (!other->m_destroying) other->Notification(this, TOperation::opRemove);
    }
    if (m_owner != nullptr && !m_owner->m_destroying) {
        // A component destroyed while still owned (by its own unique_ptr being
        // released elsewhere) must not be freed twice by its owner.
        auto& list = m_owner->m_components;
        for (auto& p : list) {
            if (p.get() == this) {
                (void)p.release();
                list.erase(std::find_if(list.begin(), list.end(), [](const auto& q) { return q == nullptr; }));
                break;
            }
        }
        m_owner->Notification(this, TOperation::opRemove);
    }
}

void TComponent::Adopt(std::unique_ptr<TComponent> AComponent)
{
    if (!AComponent) return;
    if (AComponent->m_owner != nullptr && AComponent->m_owner != this) {
        auto& list = AComponent->m_owner->m_components;
        for (auto& p : list) {
            if (p.get() == AComponent.get()) {
                (void)p.release();
                list.erase(std::find_if(list.begin(), list.end(), [](const auto& q) { return q == nullptr; }));
                break;
            }
        }
    }
    AComponent->m_owner = this;
    TComponent* raw = AComponent.get();
    m_components.push_back(std::move(AComponent));
    Notification(raw, TOperation::opInsert);
}

std::unique_ptr<TComponent> TComponent::RemoveComponent(TComponent* AComponent)
{
    for (auto it = m_components.begin(); it != m_components.end(); ++it) {
        if (it->get() == AComponent) {
            std::unique_ptr<TComponent> result = std::move(*it);
            m_components.erase(it);
            result->m_owner = nullptr;
            Notification(AComponent, TOperation::opRemove);
            return result;
        }
    }
    return nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (AComponent == nullptr || AComponent == this) return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent) == m_freeNotifies.end())
        m_freeNotifies.push_back(AComponent);
    if (std::find(AComponent->m_freeNotifies.begin(), AComponent->m_freeNotifies.end(), this) ==
        AComponent->m_freeNotifies.end())
        AComponent->m_freeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (AComponent == nullptr) return;
    Unlink(AComponent);
    AComponent->Unlink(this);
}

void TComponent::Unlink(TComponent* Other)
{
    m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), Other), m_freeNotifies.end());
}

void TComponent::Notification(TComponent* /*AComponent*/, TOperation /*Operation*/) {}

void TComponent::NotifyOwned(TComponent* AComponent, TOperation Operation)
{
    for (const auto& c : m_components) c->Notification(AComponent, Operation);
}

} // namespace qel
