#include "sim/registry/memory_registry.h"

#include <array>
#include <new>
#include <ostream>

#include "base/error.h"
#include "sim/registry/registry_names.h"

namespace tarvex::sim {

using base::HResult;
using host::RegistryRoot;
using host::RegistryValue;
namespace hr = base::hr;

namespace {

// ERROR_KEY_DELETED: what Windows answers on a handle whose key was deleted while open.
constexpr HResult kKeyDeleted = base::FromWin32(1018);

struct Node {
    std::string name;
    std::vector<std::pair<std::string, RegistryValue>> values;
    std::vector<std::shared_ptr<Node>> subkeys;
    // Set on a key (and everything below it) once it is deleted; its open handles then fail.
    bool deleted = false;
};

std::optional<std::size_t> FindValue(const Node& node, std::string_view name) {
    for (std::size_t i = 0; i < node.values.size(); ++i) {
        if (SameRegistryName(node.values[i].first, name))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindSubkey(const Node& node, std::string_view name) {
    for (std::size_t i = 0; i < node.subkeys.size(); ++i) {
        if (SameRegistryName(node.subkeys[i]->name, name))
            return i;
    }
    return std::nullopt;
}

void MarkDeleted(Node& node, bool deleted) {
    node.deleted = deleted;
    for (const std::shared_ptr<Node>& subkey : node.subkeys)
        MarkDeleted(*subkey, deleted);
}

void ListKeys(RegistryRoot root, const Node& node, const std::string& path,
              std::vector<StoredKey>& keys) {
    for (const std::shared_ptr<Node>& subkey : node.subkeys) {
        std::string subpath = path.empty() ? subkey->name : path + '\\' + subkey->name;
        keys.push_back(StoredKey{root, subpath, subkey->values});
        ListKeys(root, *subkey, subpath, keys);
    }
}

std::vector<std::string_view> SplitOrThrow(std::string_view path) {
    std::vector<std::string_view> levels;
    if (base::Failed(SplitKeyPath(path, levels)))
        throw base::Error(hr::InvalidArg, "Invalid registry key path");
    return levels;
}

} // namespace

struct MemoryRegistry::State {
    struct NthFailure {
        std::uint64_t operation;
        HResult code;
    };
    struct Rule {
        RegistryOperation operation;
        std::optional<std::string> valueName;
        HResult code;
    };

    std::array<std::shared_ptr<Node>, 3> roots{std::make_shared<Node>(), std::make_shared<Node>(),
                                               std::make_shared<Node>()};
    std::vector<RegistryCall> log;
    std::uint64_t operations = 0;
    std::vector<NthFailure> nthFailures;
    std::vector<Rule> rules;
    std::function<HResult()> commit;
    std::size_t openKeys = 0;
    // Cleared when the registry is destroyed; keys that outlive it then fail.
    bool open = true;

    Node* Root(RegistryRoot root) const {
        const auto index = static_cast<std::size_t>(root);
        return index < roots.size() ? roots[index].get() : nullptr;
    }

    std::shared_ptr<Node> Find(RegistryRoot root, const std::vector<std::string_view>& levels,
                               std::size_t depth) const {
        const auto index = static_cast<std::size_t>(root);
        if (index >= roots.size())
            return nullptr;
        std::shared_ptr<Node> node = roots[index];
        for (std::size_t i = 0; i < depth; ++i) {
            const std::optional<std::size_t> found = FindSubkey(*node, levels[i]);
            if (!found)
                return nullptr;
            node = node->subkeys[*found];
        }
        return node;
    }

    std::shared_ptr<Node> Find(RegistryRoot root,
                               const std::vector<std::string_view>& levels) const {
        return Find(root, levels, levels.size());
    }

    HResult InjectedFailure(std::uint64_t number, RegistryOperation operation,
                            std::string_view valueName) {
        for (std::size_t i = 0; i < nthFailures.size(); ++i) {
            if (nthFailures[i].operation == number) {
                const HResult code = nthFailures[i].code;
                nthFailures.erase(nthFailures.begin() + static_cast<std::ptrdiff_t>(i));
                return code;
            }
        }
        for (const Rule& rule : rules) {
            if (rule.operation == operation &&
                (!rule.valueName || SameRegistryName(*rule.valueName, valueName)))
                return rule.code;
        }
        return hr::Ok;
    }

    // Counts and logs one operation; runs `body` unless a failure was injected for it.
    template <class Body>
    HResult Run(RegistryOperation operation, RegistryRoot root, std::string_view path,
                std::string_view valueName, Body&& body) {
        const std::uint64_t number = ++operations;
        HResult result = InjectedFailure(number, operation, valueName);
        if (base::Succeeded(result))
            result = body();
        log.push_back(
            RegistryCall{operation, root, std::string(path), std::string(valueName), result});
        return result;
    }

    // Offers a change that has just been made to the commit handler; undoes it when the
    // handler fails, so that the store never holds a change that was reported as failed.
    template <class Undo>
    HResult Commit(Undo&& undo) {
        if (!commit)
            return hr::Ok;
        HResult result = hr::Ok;
        try {
            result = commit();
        } catch (const std::bad_alloc&) {
            result = hr::OutOfMemory;
        } catch (...) {
            result = hr::Fail;
        }
        if (base::Failed(result))
            undo();
        return result;
    }

    HResult RemoveSubkey(Node& parent, std::size_t index) {
        const auto position = parent.subkeys.begin() + static_cast<std::ptrdiff_t>(index);
        std::shared_ptr<Node> node = *position;
        parent.subkeys.erase(position);
        MarkDeleted(*node, true);
        return Commit([&] {
            MarkDeleted(*node, false);
            parent.subkeys.insert(parent.subkeys.begin() + static_cast<std::ptrdiff_t>(index),
                                  node);
        });
    }
};

class MemoryRegistry::Key final : public host::RegistryKey {
public:
    Key(std::shared_ptr<State> state, std::shared_ptr<Node> node, RegistryRoot root,
        std::string path, host::RegistryAccess access)
        : m_state(std::move(state))
        , m_node(std::move(node))
        , m_root(root)
        , m_path(std::move(path))
        , m_access(access) {
        ++m_state->openKeys;
    }
    ~Key() override { --m_state->openKeys; }

    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HResult QueryValue(std::string_view name, RegistryValue& value) override {
        return Run(RegistryOperation::QueryValue, name, [&]() -> HResult {
            const std::optional<std::size_t> index = FindValue(*m_node, name);
            if (!index)
                return hr::FileNotFound;
            value = m_node->values[*index].second;
            return hr::Ok;
        });
    }

    HResult SetValue(std::string_view name, const RegistryValue& value) override {
        return Run(RegistryOperation::SetValue, name, [&]() -> HResult {
            if (m_access != host::RegistryAccess::All)
                return hr::AccessDenied;
            auto& values = m_node->values;
            if (const std::optional<std::size_t> index = FindValue(*m_node, name)) {
                RegistryValue old = std::exchange(values[*index].second, value);
                return m_state->Commit([&] { values[*index].second = std::move(old); });
            }
            values.emplace_back(std::string(name), value);
            return m_state->Commit([&] { values.pop_back(); });
        });
    }

    HResult DeleteValue(std::string_view name) override {
        return Run(RegistryOperation::DeleteValue, name, [&]() -> HResult {
            if (m_access != host::RegistryAccess::All)
                return hr::AccessDenied;
            const std::optional<std::size_t> index = FindValue(*m_node, name);
            if (!index)
                return hr::FileNotFound;
            auto& values = m_node->values;
            const auto position = values.begin() + static_cast<std::ptrdiff_t>(*index);
            auto removed = std::move(*position);
            values.erase(position);
            return m_state->Commit([&] {
                values.insert(values.begin() + static_cast<std::ptrdiff_t>(*index),
                              std::move(removed));
            });
        });
    }

    HResult ValueNames(std::vector<std::string>& names) override {
        return Run(RegistryOperation::ValueNames, {}, [&]() -> HResult {
            names.clear();
            for (const auto& [name, value] : m_node->values)
                names.push_back(name);
            return hr::Ok;
        });
    }

    HResult SubkeyNames(std::vector<std::string>& names) override {
        return Run(RegistryOperation::SubkeyNames, {}, [&]() -> HResult {
            names.clear();
            for (const std::shared_ptr<Node>& subkey : m_node->subkeys)
                names.push_back(subkey->name);
            return hr::Ok;
        });
    }

private:
    template <class Body>
    HResult Run(RegistryOperation operation, std::string_view valueName, Body&& body) {
        if (!m_state->open)
            return hr::Handle;
        return m_state->Run(operation, m_root, m_path, valueName, [&]() -> HResult {
            if (base::Failed(CheckValueName(valueName)))
                return hr::InvalidArg;
            if (m_node->deleted)
                return kKeyDeleted;
            return body();
        });
    }

    std::shared_ptr<State> m_state;
    std::shared_ptr<Node> m_node;
    RegistryRoot m_root;
    std::string m_path;
    host::RegistryAccess m_access;
};

std::string_view OperationName(RegistryOperation operation) noexcept {
    switch (operation) {
    case RegistryOperation::OpenKey:
        return "OpenKey";
    case RegistryOperation::CreateKey:
        return "CreateKey";
    case RegistryOperation::DeleteKey:
        return "DeleteKey";
    case RegistryOperation::DeleteTree:
        return "DeleteTree";
    case RegistryOperation::QueryValue:
        return "QueryValue";
    case RegistryOperation::SetValue:
        return "SetValue";
    case RegistryOperation::DeleteValue:
        return "DeleteValue";
    case RegistryOperation::ValueNames:
        return "ValueNames";
    case RegistryOperation::SubkeyNames:
        return "SubkeyNames";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const RegistryCall& call) {
    out << OperationName(call.operation) << ' ' << host::RootName(call.root);
    if (!call.path.empty())
        out << '\\' << call.path;
    if (!call.valueName.empty())
        out << " [" << call.valueName << ']';
    return out << " -> " << base::FormatHResult(call.result);
}

MemoryRegistry::MemoryRegistry()
    : m_state(std::make_shared<State>()) {}

MemoryRegistry::~MemoryRegistry() {
    m_state->open = false;
    m_state->commit = nullptr;
}

HResult MemoryRegistry::DoOpenKey(RegistryRoot root, std::string_view path,
                                  host::RegistryAccess access,
                                  std::unique_ptr<host::RegistryKey>& key) {
    key.reset();
    const std::string_view trimmed = host::TrimKeyPath(path);
    return m_state->Run(RegistryOperation::OpenKey, root, trimmed, {}, [&]() -> HResult {
        std::vector<std::string_view> levels;
        if (const HResult result = SplitKeyPath(trimmed, levels); base::Failed(result))
            return result;
        if (!m_state->Root(root))
            return hr::InvalidArg;
        std::shared_ptr<Node> node = m_state->Find(root, levels);
        if (!node)
            return hr::FileNotFound;
        key = std::make_unique<Key>(m_state, std::move(node), root, std::string(trimmed), access);
        return hr::Ok;
    });
}

HResult MemoryRegistry::DoCreateKey(RegistryRoot root, std::string_view path,
                                    std::unique_ptr<host::RegistryKey>& key) {
    key.reset();
    const std::string_view trimmed = host::TrimKeyPath(path);
    return m_state->Run(RegistryOperation::CreateKey, root, trimmed, {}, [&]() -> HResult {
        std::vector<std::string_view> levels;
        if (const HResult result = SplitKeyPath(trimmed, levels); base::Failed(result))
            return result;
        if (!m_state->Root(root))
            return hr::InvalidArg;
        std::shared_ptr<Node> node = m_state->roots[static_cast<std::size_t>(root)];
        // The key below which the first missing level was added: removing that level again
        // undoes the whole creation.
        Node* firstParent = nullptr;
        for (const std::string_view level : levels) {
            if (const std::optional<std::size_t> index = FindSubkey(*node, level)) {
                node = node->subkeys[*index];
                continue;
            }
            auto created = std::make_shared<Node>();
            created->name = std::string(level);
            if (!firstParent)
                firstParent = node.get();
            node->subkeys.push_back(created);
            node = std::move(created);
        }
        if (firstParent) {
            const HResult result = m_state->Commit([&] { firstParent->subkeys.pop_back(); });
            if (base::Failed(result))
                return result;
        }
        key = std::make_unique<Key>(m_state, std::move(node), root, std::string(trimmed),
                                    host::RegistryAccess::All);
        return hr::Ok;
    });
}

HResult MemoryRegistry::DeleteKey(RegistryRoot root, std::string_view path) {
    const std::string_view trimmed = host::TrimKeyPath(path);
    return m_state->Run(RegistryOperation::DeleteKey, root, trimmed, {}, [&]() -> HResult {
        std::vector<std::string_view> levels;
        if (const HResult result = SplitKeyPath(trimmed, levels); base::Failed(result))
            return result;
        if (levels.empty() || !m_state->Root(root))
            return hr::InvalidArg; // a root cannot be deleted
        const std::shared_ptr<Node> parent = m_state->Find(root, levels, levels.size() - 1);
        const std::optional<std::size_t> index =
            parent ? FindSubkey(*parent, levels.back()) : std::nullopt;
        if (!index)
            return hr::FileNotFound;
        // Windows refuses to delete a key that still has subkeys.
        if (!parent->subkeys[*index]->subkeys.empty())
            return hr::AccessDenied;
        return m_state->RemoveSubkey(*parent, *index);
    });
}

HResult MemoryRegistry::DeleteTree(RegistryRoot root, std::string_view path) {
    const std::string_view trimmed = host::TrimKeyPath(path);
    return m_state->Run(RegistryOperation::DeleteTree, root, trimmed, {}, [&]() -> HResult {
        std::vector<std::string_view> levels;
        if (const HResult result = SplitKeyPath(trimmed, levels); base::Failed(result))
            return result;
        if (levels.empty() || !m_state->Root(root))
            return hr::InvalidArg;
        const std::shared_ptr<Node> parent = m_state->Find(root, levels, levels.size() - 1);
        const std::optional<std::size_t> index =
            parent ? FindSubkey(*parent, levels.back()) : std::nullopt;
        if (!index)
            return hr::FileNotFound;
        return m_state->RemoveSubkey(*parent, *index);
    });
}

const std::vector<RegistryCall>& MemoryRegistry::Log() const noexcept {
    return m_state->log;
}

void MemoryRegistry::ClearLog() noexcept {
    m_state->log.clear();
}

std::size_t MemoryRegistry::OpenKeyCount() const noexcept {
    return m_state->openKeys;
}

void MemoryRegistry::FailNth(std::size_t k, HResult code) {
    if (k == 0)
        throw base::Error(hr::InvalidArg, "FailNth counts operations from 1");
    m_state->nthFailures.push_back(State::NthFailure{m_state->operations + k, code});
}

void MemoryRegistry::FailEvery(RegistryOperation operation, HResult code) {
    m_state->rules.push_back(State::Rule{operation, std::nullopt, code});
}

void MemoryRegistry::FailEvery(RegistryOperation operation, std::string_view valueName,
                               HResult code) {
    m_state->rules.push_back(State::Rule{operation, std::string(valueName), code});
}

void MemoryRegistry::ClearFailures() noexcept {
    m_state->nthFailures.clear();
    m_state->rules.clear();
}

void MemoryRegistry::PutKey(RegistryRoot root, std::string_view path) {
    const std::vector<std::string_view> levels = SplitOrThrow(path);
    if (!m_state->Root(root))
        throw base::Error(hr::InvalidArg, "Invalid registry root");
    Node* node = m_state->Root(root);
    for (const std::string_view level : levels) {
        if (const std::optional<std::size_t> index = FindSubkey(*node, level)) {
            node = node->subkeys[*index].get();
            continue;
        }
        auto created = std::make_shared<Node>();
        created->name = std::string(level);
        node->subkeys.push_back(created);
        node = created.get();
    }
}

void MemoryRegistry::PutValue(RegistryRoot root, std::string_view path, std::string_view name,
                              RegistryValue value) {
    if (base::Failed(CheckValueName(name)))
        throw base::Error(hr::InvalidArg, "Invalid registry value name");
    PutKey(root, path);
    const std::shared_ptr<Node> node = m_state->Find(root, SplitOrThrow(path));
    if (const std::optional<std::size_t> index = FindValue(*node, name))
        node->values[*index].second = std::move(value);
    else
        node->values.emplace_back(std::string(name), std::move(value));
}

std::optional<RegistryValue> MemoryRegistry::GetValue(RegistryRoot root, std::string_view path,
                                                      std::string_view name) const {
    std::vector<std::string_view> levels;
    if (base::Failed(SplitKeyPath(path, levels)))
        return std::nullopt;
    const std::shared_ptr<Node> node = m_state->Find(root, levels);
    if (!node)
        return std::nullopt;
    const std::optional<std::size_t> index = FindValue(*node, name);
    if (!index)
        return std::nullopt;
    return node->values[*index].second;
}

bool MemoryRegistry::HasKey(RegistryRoot root, std::string_view path) const {
    std::vector<std::string_view> levels;
    return base::Succeeded(SplitKeyPath(path, levels)) && m_state->Find(root, levels) != nullptr;
}

std::vector<StoredKey> MemoryRegistry::Keys() const {
    std::vector<StoredKey> keys;
    for (const RegistryRoot root :
         {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
        const Node& node = *m_state->Root(root);
        if (!node.values.empty())
            keys.push_back(StoredKey{root, {}, node.values});
        ListKeys(root, node, {}, keys);
    }
    return keys;
}

void MemoryRegistry::SetCommitHandler(std::function<HResult()> commit) {
    m_state->commit = std::move(commit);
}

} // namespace tarvex::sim
