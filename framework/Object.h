#pragma once

#include "Ref.h"
#include "String.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Object;
struct ClassRecord;

enum class Scope { Public, Protected, Private };

// What a raised event carries; each event uses the fields it needs.
struct EventArgs {
    bool flag = false;         // CancelClose: whether the application is quitting
    Object* sender = nullptr;  // AddMenuHandlers: the window; Action: the control
};

// Runs the member that handles an event; the result is the event's answer
// (CancelClose: true keeps the window open; a menu action: true = handled).
using EventHandler = std::function<bool(Object& self, EventArgs& args)>;

struct VirtualOperation {
    std::string name;
    std::string signature;   // "(name As String) As MenuItem"; "" for none
    std::string definedBy;   // the class whose code fills the slot
};

struct MemberInfo {
    enum class Kind { Method, Property };
    Kind kind = Kind::Method;
    std::string name;
    Scope scope = Scope::Public;
    std::string signature;   // a method's parameters and result; a property's type
    bool hidden = false;     // left out of what introspection lists
};

// A settings key that a class accepts in a settings batch.
enum class SettingType { Int32, Boolean, Colour, String };
struct SettingValue;
struct PropertyEntry {
    std::string key;
    SettingType type;
    std::function<void(Object&, const SettingValue&)> set;
};

// One class, as the framework knows it.
struct ClassRecord {
    std::string name;
    const ClassRecord* base = nullptr;
    Scope scope = Scope::Public;
    std::function<void(Object&)> initialiser;   // after the base's
    std::function<void(Object&)> finaliser;     // before the base's
    std::vector<VirtualOperation> virtualOperations;  // the base's slots first
    std::vector<std::pair<std::string, EventHandler>> events;
    std::vector<MemberInfo> members;
    std::vector<PropertyEntry> properties;      // settings keys, besides the base's

    // The handler of an event, looked for here and then in the bases.
    const EventHandler* FindEvent(std::string_view event) const;
    const PropertyEntry* FindProperty(std::string_view key) const;
    bool IsA(const ClassRecord& other) const;
};

// Builds a record: starts from the base's virtual operations, lets the class
// fill a slot (Override) or add its own (AddVirtual), and lists members.
class ClassRecordBuilder {
public:
    ClassRecordBuilder(std::string name, const ClassRecord* base);
    ClassRecordBuilder& WithScope(Scope scope);
    ClassRecordBuilder& Initialiser(std::function<void(Object&)> init);
    ClassRecordBuilder& Finaliser(std::function<void(Object&)> fini);
    ClassRecordBuilder& Override(std::string name, std::string signature = {});
    ClassRecordBuilder& AddVirtual(std::string name, std::string signature = {});
    ClassRecordBuilder& Event(std::string event, EventHandler handler);
    ClassRecordBuilder& Method(std::string name, Scope scope, std::string signature = {}, bool hidden = false);
    ClassRecordBuilder& Property(std::string name, Scope scope, std::string type);
    ClassRecordBuilder& Setting(std::string key, SettingType type,
                                std::function<void(Object&, const SettingValue&)> set);
    ClassRecord Build();  // moves the record out

private:
    ClassRecord record_;
};

namespace ClassRegistry {
// Registers the record under its name; a second registration of the name does
// nothing and returns the record that is already there.
const ClassRecord& Register(ClassRecord record);
// The record registered under the name, or nullptr.
const ClassRecord* Find(std::string_view name);
}

// What the framework's introspection lists: the names of a class's own
// methods and properties, Hidden ones left out.
std::vector<std::string> ListMethods(const ClassRecord& record);
std::vector<std::string> ListProperties(const ClassRecord& record);

// The base of every framework object. Each class has a record; instances are
// made with New<T>(), which runs the initialisers of the class and its bases,
// and their finalisers run when the last reference goes.
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    static const ClassRecord& Class();
    virtual const ClassRecord& ClassInfo() const { return Class(); }

    // Raises an event through the class's event table. Returns the handler's
    // answer, or fallback when no class in the chain handles the event.
    bool RaiseEvent(std::string_view event, EventArgs& args, bool fallback = false);
    bool Handles(std::string_view event) const { return ClassInfo().FindEvent(event) != nullptr; }

    template <class T = Object>
    Ref<T> Self()
    {
        return Ref<T>(std::dynamic_pointer_cast<T>(shared_from_this()));
    }

protected:
    Object() = default;

private:
    template <class T, class... A>
    friend Ref<T> New(A&&... args);
    static void RunInitialisers(Object& object);
    static void RunFinalisers(Object& object) noexcept;
};

template <class T, class... A>
Ref<T> New(A&&... args)
{
    std::shared_ptr<T> object(new T(std::forward<A>(args)...), [](T* p) {
        Object::RunFinalisers(*p);
        delete p;
    });
    Object::RunInitialisers(*object);
    return Ref<T>(std::move(object));
}

// The object as a T; raises IllegalCastException (naming both classes) when
// it is of another class, NilObjectException when it is nil.
[[noreturn]] void RaiseIllegalCast(const ClassRecord& from, const ClassRecord& to);

template <class T, class U>
Ref<T> CastTo(const Ref<U>& object)
{
    U& target = object.Get();
    Ref<T> result = RefCast<T>(object);
    if (!result)
        RaiseIllegalCast(target.ClassInfo(), T::Class());
    return result;
}
