#include "qelComponent.h"
#include "qelErrors.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qel;

namespace {

// A holder that keeps a reference to another component and must drop it when
// that component is destroyed.
class THolder : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "THolder"; }
    void SetTarget(TComponent* t)
    {
        if (m_target != nullptr) RemoveFreeNotification(m_target);
        m_target = t;
        if (t != nullptr) FreeNotification(t);
    }
    TComponent* Target() const { return m_target; }
    std::vector<std::string> Log;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        if (op == TOperation::opRemove && c == m_target) m_target = nullptr;
        Log.push_back(op == TOperation::opRemove ? "remove" : "insert");
        TComponent::Notification(c, op);
    }

private:
    TComponent* m_target = nullptr;
};

class TCounted : public TComponent {
public:
    TCounted(TComponent* owner, int* counter) : TComponent(owner), m_counter(counter) {}
    ~TCounted() override { ++*m_counter; }

private:
    int* m_counter;
};

class TOther : public TPersistent {
public:
    std::string ClassName() const override { return "TOther"; }
};

} // namespace

TEST(ComponentOwnership, OwnerFreesWhatItOwnsAndForgetsWhatIsTakenBack)
{
    int freed = 0;
    {
        TComponent owner;
        owner.CreateOwned<TCounted>(&freed);
        auto* second = owner.CreateOwned<TCounted>(&freed);
        EXPECT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(second->Owner(), &owner);
        std::unique_ptr<TComponent> taken = owner.RemoveComponent(second);
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_EQ(taken->Owner(), nullptr);
        taken.reset();
        EXPECT_EQ(freed, 1);
    }
    EXPECT_EQ(freed, 2);
}

TEST(ComponentOwnership, MovingToAnotherOwnerIsNotADoubleFree)
{
    int freed = 0;
    TComponent a;
    auto* c = a.CreateOwned<TCounted>(&freed);
    {
        TComponent b;
        b.InsertComponent(a.RemoveComponent(c));
        EXPECT_EQ(a.ComponentCount(), 0);
    }
    EXPECT_EQ(freed, 1);
}

TEST(FreeNotification, HolderReferenceIsClearedWhenTargetDies)
{
    THolder holder;
    {
        auto target = std::make_unique<TComponent>();
        holder.SetTarget(target.get());
        EXPECT_EQ(holder.Target(), target.get());
    }
    EXPECT_EQ(holder.Target(), nullptr);
    EXPECT_EQ(holder.Log, std::vector<std::string>{"remove"});
}

TEST(FreeNotification, HolderDyingFirstLeavesNoDanglingWatcher)
{
    auto target = std::make_unique<TComponent>();
    {
        THolder holder;
        holder.SetTarget(target.get());
    }
    target.reset(); // must not call into the destroyed holder (address sanitizer)
    SUCCEED();
}

TEST(FreeNotification, OwnedTargetClearedWhenOwnerGoes)
{
    THolder holder;
    {
        TComponent owner;
        holder.SetTarget(owner.CreateOwned<TComponent>());
    }
    EXPECT_EQ(holder.Target(), nullptr);
}

TEST(Persistent, AssignFromForeignClassRaisesStandardError)
{
    THolder h;
    TOther o;
    EXPECT_STREQ(qeltest::ErrorOf<EConvertError>([&] { h.Assign(o); }).what(), "Cannot assign a TOther to a THolder.");
}
