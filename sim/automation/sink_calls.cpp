#include "sim/automation/sink_calls.h"

namespace tarvex::sim::detail {

void RaiseToSinks(host::DispId event, const std::vector<host::Variant>& argsInDeclarationOrder,
                  std::size_t count,
                  const std::function<host::Ref<host::Dispatch>(std::size_t)>& sinkAt) {
    std::vector<host::Variant> comOrder(argsInDeclarationOrder.rbegin(),
                                        argsInDeclarationOrder.rend());
    for (std::size_t i = 0; i < count; ++i) {
        const host::Ref<host::Dispatch> sink = sinkAt(i);
        if (!sink)
            continue;
        const host::DispParams params{comOrder.data(), nullptr,
                                      static_cast<std::uint32_t>(comOrder.size()), 0};
        host::Variant result;
        host::ExcepInfo excepInfo;
        std::uint32_t argErr = 0;
        sink->Invoke(event, host::iid::Null, host::lcid::UserDefault, host::invoke::Method, params,
                     &result, &excepInfo, &argErr);
    }
}

} // namespace tarvex::sim::detail
