// The registry of what the DDE calls share between threads.
#include "DdeState.h"

namespace ddeml {

namespace {

template <typename Handle> std::uintptr_t keyOf(Handle h)
{
    return reinterpret_cast<std::uintptr_t>(h);
}

} // namespace

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

Registry &registry()
{
    static Registry theRegistry;
    return theRegistry;
}

HSZ Registry::holdString(DWORD owner, const std::string &text)
{
    std::lock_guard lock(mutex_);
    const std::string key = lower(text);
    auto it = nameByKey_.find(key);
    if (it == nameByKey_.end()) {
        it = nameByKey_.emplace(key, nextName_++).first;
        names_.emplace(it->second, Name{text, {}});
    }
    ++names_[it->second].holds[owner];
    return reinterpret_cast<HSZ>(it->second);
}

bool Registry::releaseString(DWORD owner, HSZ hsz)
{
    std::lock_guard lock(mutex_);
    const auto it = names_.find(keyOf(hsz));
    if (it == names_.end())
        return false;
    const auto held = it->second.holds.find(owner);
    if (held == it->second.holds.end())
        return false;
    if (--held->second == 0)
        it->second.holds.erase(held);
    forgetIfUnheld(it);
    return true;
}

void Registry::releaseStrings(DWORD owner)
{
    std::lock_guard lock(mutex_);
    for (auto it = names_.begin(); it != names_.end();) {
        const auto next = std::next(it);
        it->second.holds.erase(owner);
        forgetIfUnheld(it);
        it = next;
    }
}

void Registry::forgetIfUnheld(std::map<std::uintptr_t, Name>::iterator it)
{
    if (!it->second.holds.empty())
        return;
    nameByKey_.erase(lower(it->second.text));
    names_.erase(it);
}

std::string Registry::stringText(HSZ hsz) const
{
    std::lock_guard lock(mutex_);
    const auto it = names_.find(keyOf(hsz));
    return it == names_.end() ? std::string() : it->second.text;
}

HDDEDATA Registry::newData(std::vector<std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    const std::uintptr_t id = nextData_++;
    data_.emplace(id, std::move(bytes));
    return reinterpret_cast<HDDEDATA>(id);
}

std::optional<std::vector<std::uint8_t>> Registry::dataOf(HDDEDATA h) const
{
    std::lock_guard lock(mutex_);
    const auto it = data_.find(keyOf(h));
    if (it == data_.end())
        return std::nullopt;
    return it->second;
}

LPBYTE Registry::accessData(HDDEDATA h, DWORD *size)
{
    std::lock_guard lock(mutex_);
    const auto it = data_.find(keyOf(h));
    if (it == data_.end())
        return nullptr;
    if (size)
        *size = DWORD(it->second.size());
    return it->second.data();
}

bool Registry::hasData(HDDEDATA h) const
{
    std::lock_guard lock(mutex_);
    return data_.count(keyOf(h)) > 0;
}

bool Registry::freeData(HDDEDATA h)
{
    std::lock_guard lock(mutex_);
    return data_.erase(keyOf(h)) > 0;
}

DWORD Registry::addInstance(std::unique_ptr<Instance> instance)
{
    std::lock_guard lock(mutex_);
    instance->id = nextInstance_++;
    const DWORD id = instance->id;
    instances_.emplace(id, std::move(instance));
    return id;
}

Instance *Registry::instance(DWORD id) const
{
    std::lock_guard lock(mutex_);
    const auto it = instances_.find(id);
    return it == instances_.end() ? nullptr : it->second.get();
}

void Registry::removeInstance(DWORD id)
{
    std::unique_ptr<Instance> gone;
    {
        std::lock_guard lock(mutex_);
        const auto it = instances_.find(id);
        if (it == instances_.end())
            return;
        gone = std::move(it->second);
        instances_.erase(it);
    }
    // gone is destroyed outside the lock: its servers and timers are Qt objects.
}

HCONV Registry::addConversation(Conversation *c)
{
    std::lock_guard lock(mutex_);
    const std::uintptr_t key = nextConversation_++;
    conversations_[key] = c;
    return reinterpret_cast<HCONV>(key);
}

Conversation *Registry::conversation(HCONV h) const
{
    std::lock_guard lock(mutex_);
    const auto it = conversations_.find(keyOf(h));
    return it == conversations_.end() ? nullptr : it->second;
}

void Registry::removeConversation(HCONV h)
{
    std::lock_guard lock(mutex_);
    conversations_.erase(keyOf(h));
}

void Registry::setDirectory(const std::string &path)
{
    std::lock_guard lock(mutex_);
    directory_ = path;
}

std::string Registry::directory() const
{
    std::lock_guard lock(mutex_);
    return directory_;
}

} // namespace ddeml
