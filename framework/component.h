#pragma once

// TComponent: the base of everything the add-in's module owns (the module itself, its
// command bar, ribbon tab and event components). A component has a name and an owner; an
// owner frees the components it owns, last created first.

#include <memory>
#include <string>
#include <vector>

namespace tarvex::framework {

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr, std::string name = {});
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const noexcept { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    TComponent* Owner() const noexcept { return m_owner; }

    /// The components this one owns, in creation order.
    std::size_t ComponentCount() const noexcept { return m_components.size(); }
    TComponent& Component(std::size_t index) const { return *m_components.at(index); }

    /// The class name, for messages ("TAddInModule").
    virtual std::string ClassName() const { return "TComponent"; }

    /// Creates a component owned by this one and returns it.
    template <class T, class... Args>
    T& CreateComponent(Args&&... args) {
        auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
        T& result = *component;
        m_components.push_back(std::move(component));
        return result;
    }

protected:
    /// Frees the owned components now, last created first (an owner whose components
    /// must go while its own state still exists calls this from its destructor).
    void DestroyComponents() noexcept;

private:
    TComponent* m_owner;
    std::string m_name;
    std::vector<std::unique_ptr<TComponent>> m_components;
};

} // namespace tarvex::framework
