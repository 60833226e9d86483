#pragma once

// ScopeExit: runs a function when the scope ends, however it ends (a finally block).

#include <utility>

namespace tarvex::base {

template <class Function>
class ScopeExit {
public:
    explicit ScopeExit(Function function) noexcept
        : m_function(std::move(function)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { m_function(); }

private:
    Function m_function;
};

} // namespace tarvex::base
