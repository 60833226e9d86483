#include "component.h"

namespace tarvex::framework {

TComponent::TComponent(TComponent* owner, std::string name)
    : m_owner(owner)
    , m_name(std::move(name)) {}

TComponent::~TComponent() {
    DestroyComponents();
}

void TComponent::DestroyComponents() noexcept {
    // Last created first; each is removed from the list before it is freed, so a component
    // that looks at its owner while it goes sees only the ones still alive.
    while (!m_components.empty()) {
        std::unique_ptr<TComponent> last = std::move(m_components.back());
        m_components.pop_back();
        last.reset();
    }
}

} // namespace tarvex::framework
