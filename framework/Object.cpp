#include "Object.h"

#include "Exceptions.h"

#include <algorithm>
#include <map>

void RaiseNilObject()
{
    Raise<NilObjectException>("A nil object was used where an object was expected");
}

void RaiseIllegalCast(const ClassRecord& from, const ClassRecord& to)
{
    Raise<IllegalCastException>("An object of class " + from.name + " was used as a " + to.name);
}

const EventHandler* ClassRecord::FindEvent(std::string_view event) const
{
    for (const ClassRecord* r = this; r; r = r->base) {
        for (const auto& [name, handler] : r->events) {
            if (name == event)
                return &handler;
        }
    }
    return nullptr;
}

const PropertyEntry* ClassRecord::FindProperty(std::string_view key) const
{
    for (const ClassRecord* r = this; r; r = r->base) {
        for (const auto& entry : r->properties) {
            if (entry.key == key)
                return &entry;
        }
    }
    return nullptr;
}

bool ClassRecord::IsA(const ClassRecord& other) const
{
    for (const ClassRecord* r = this; r; r = r->base) {
        if (r == &other || r->name == other.name)
            return true;
    }
    return false;
}

ClassRecordBuilder::ClassRecordBuilder(std::string name, const ClassRecord* base)
{
    record_.name = std::move(name);
    record_.base = base;
    if (base)
        record_.virtualOperations = base->virtualOperations;
}

ClassRecordBuilder& ClassRecordBuilder::WithScope(Scope scope)
{
    record_.scope = scope;
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Initialiser(std::function<void(Object&)> init)
{
    record_.initialiser = std::move(init);
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Finaliser(std::function<void(Object&)> fini)
{
    record_.finaliser = std::move(fini);
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Override(std::string name, std::string signature)
{
    auto& ops = record_.virtualOperations;
    auto slot = std::find_if(ops.begin(), ops.end(), [&](const VirtualOperation& op) {
        return op.name == name && op.signature == signature;
    });
    if (slot == ops.end())
        Raise<KeyNotFoundException>("Class " + record_.name + " overrides " + name + signature
                                    + ", which its base does not have");
    slot->definedBy = record_.name;
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::AddVirtual(std::string name, std::string signature)
{
    record_.virtualOperations.push_back({ std::move(name), std::move(signature), record_.name });
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Event(std::string event, EventHandler handler)
{
    record_.events.emplace_back(std::move(event), std::move(handler));
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Method(std::string name, Scope scope, std::string signature, bool hidden)
{
    record_.members.push_back({ MemberInfo::Kind::Method, std::move(name), scope, std::move(signature), hidden });
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Property(std::string name, Scope scope, std::string type)
{
    record_.members.push_back({ MemberInfo::Kind::Property, std::move(name), scope, std::move(type), false });
    return *this;
}

ClassRecordBuilder& ClassRecordBuilder::Setting(std::string key, SettingType type,
                                                std::function<void(Object&, const SettingValue&)> set)
{
    record_.properties.push_back({ std::move(key), type, std::move(set) });
    return *this;
}

ClassRecord ClassRecordBuilder::Build()
{
    return std::move(record_);
}

namespace {

// Records never move once registered: callers keep pointers to them.
std::map<std::string, std::unique_ptr<ClassRecord>, std::less<>>& Records()
{
    static std::map<std::string, std::unique_ptr<ClassRecord>, std::less<>> records;
    return records;
}

std::vector<std::string> ListMembers(const ClassRecord& record, MemberInfo::Kind kind)
{
    std::vector<std::string> names;
    for (const auto& m : record.members) {
        if (m.kind == kind && !m.hidden)
            names.push_back(m.name);
    }
    return names;
}

} // namespace

const ClassRecord& ClassRegistry::Register(ClassRecord record)
{
    auto& records = Records();
    if (auto it = records.find(record.name); it != records.end())
        return *it->second;
    auto name = record.name;
    auto [it, inserted] = records.emplace(std::move(name), std::make_unique<ClassRecord>(std::move(record)));
    return *it->second;
}

const ClassRecord* ClassRegistry::Find(std::string_view name)
{
    auto& records = Records();
    auto it = records.find(name);
    return it == records.end() ? nullptr : it->second.get();
}

std::vector<std::string> ListMethods(const ClassRecord& record)
{
    return ListMembers(record, MemberInfo::Kind::Method);
}

std::vector<std::string> ListProperties(const ClassRecord& record)
{
    return ListMembers(record, MemberInfo::Kind::Property);
}

Object::~Object() = default;

const ClassRecord& Object::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(ClassRecordBuilder("Object", nullptr).Build());
    return record;
}

bool Object::RaiseEvent(std::string_view event, EventArgs& args, bool fallback)
{
    const EventHandler* handler = ClassInfo().FindEvent(event);
    if (!handler)
        return fallback;
    return (*handler)(*this, args);
}

void Object::RunInitialisers(Object& object)
{
    std::vector<const ClassRecord*> chain;
    for (const ClassRecord* r = &object.ClassInfo(); r; r = r->base)
        chain.push_back(r);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->initialiser)
            (*it)->initialiser(object);
    }
}

void Object::RunFinalisers(Object& object) noexcept
{
    for (const ClassRecord* r = &object.ClassInfo(); r; r = r->base) {
        if (r->finaliser)
            r->finaliser(object);
    }
}
