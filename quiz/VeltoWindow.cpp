#include "VeltoWindow.h"

#include "MainMenuBar.h"
#include "Runtime.h"
#include "Settings.h"
#include "VeltoWindowSettings.h"

namespace {

template <void (VeltoWindow::*member)()>
bool Run(Object& self, EventArgs&)
{
    (static_cast<VeltoWindow&>(self).*member)();
    return false;
}

// The type description, as the framework's introspection lists it.
ClassRecordBuilder& DescribeMembers(ClassRecordBuilder& b)
{
    constexpr const char* controlAccessors[][2] = {
        { "textRandomWord", "() As TextField" }, { "PushButton1", "() As PushButton" },
        { "PushButton2", "() As PushButton" }, { "PushButton3", "() As PushButton" },
        { "lblResult", "() As Label" }, { "pushOpenFile", "() As PushButton" },
        { "pushKnow", "() As PushButton" }, { "lblNumber", "() As Label" },
    };
    constexpr const char* buttonHandlers[] = { "PushButton1_Action", "PushButton2_Action", "PushButton3_Action",
                                               "pushOpenFile_Action", "pushKnow_Action" };
    constexpr const char* menuAccessors[] = { "Options", "menuUseLeftWordAsQuestion", "EditMenu", "EditSelectAll",
                                              "EditSeparator2", "EditClear", "EditPaste", "EditCopy", "EditCut",
                                              "EditSeparator1", "EditUndo", "FileMenu", "FileQuit", "menuOpen" };

    auto both = [&b](const char* name, const std::string& signature, bool hidden = false) {
        b.AddVirtual(name, signature);
        b.Method(name, Scope::Public, signature, hidden);
    };
    both("Layout", "()");
    both("CreateControls", "()");
    both("_CreateControls0", "()", true);
    for (const auto& [name, signature] : controlAccessors)
        both(name, signature);
    for (const char* name : buttonHandlers)
        both(name, "(sender As PushButton)");
    for (const char* name : menuAccessors)
        both(name, std::string("() As ") + (std::string_view(name) == "FileQuit" ? "QuitMenuItem" : "MenuItem"));
    both("AddMenuHandlers", "(w As Window)");
    both("Event_CancelClose", "(appQuitting As Boolean) As Boolean");
    both("Event_Open", "()");
    both("_menuOpen_Action", "() As Boolean");
    both("_menuUseLeftWordAsQuestion_Action", "() As Boolean");

    b.Method("CheckAnswer", Scope::Private, "(button As Int32)")
        .Method("DisplayAWord", Scope::Private, "()")
        .Method("DisplayOpenFile", Scope::Private, "()")
        .Method("MakeButtonsVisible", Scope::Private, "(answersShown As Boolean)")
        .Method("OpenVocabularyFile", Scope::Private, "(file As FolderItem)")
        .Method("PickAWord", Scope::Private, "(leftWordIsQuestion As Boolean)");

    b.Property("aVocabularyList", Scope::Private, "String()")
        .Property("iCorrectButton", Scope::Private, "Int32")
        .Property("iLastWordChosen", Scope::Private, "Int32")
        .Property("lines", Scope::Private, "Int32")
        .Property("sAnotherWord", Scope::Private, "String")
        .Property("sCurrentWordToAsk", Scope::Private, "String")
        .Property("sTranslationOfCurrentWordToAsk", Scope::Private, "String")
        .Property("sYetAnotherWord", Scope::Private, "String")
        .Property("tfLeftWordIsQuestion", Scope::Private, "Boolean");
    return b;
}

} // namespace

const ClassRecord& VeltoWindow::Class()
{
    static const ClassRecord& record = [] () -> const ClassRecord& {
        ClassRecordBuilder b(kClassName, &Window::Class());
        b.WithScope(Scope::Public)
            .Initialiser([](Object& self) {
                auto& w = static_cast<VeltoWindow&>(self);
                w.quiz_.emplace(static_cast<QuizDisplay&>(w));
            })
            .Finaliser([](Object& self) { static_cast<VeltoWindow&>(self).quiz_.reset(); });
        DescribeMembers(b);
        b.Event("AddMenuHandlers",
                [](Object& self, EventArgs& args) {
                    static_cast<VeltoWindow&>(self).AddMenuHandlers(*static_cast<Window*>(args.sender));
                    return false;
                })
            .Event("CancelClose",
                   [](Object& self, EventArgs& args) {
                       return static_cast<VeltoWindow&>(self).Event_CancelClose(args.flag);
                   })
            .Event("CreateControls", Run<&VeltoWindow::CreateControls>)
            .Event("Layout", Run<&VeltoWindow::Layout>)
            .Event("Open", Run<&VeltoWindow::Event_Open>);
        return ClassRegistry::Register(b.Build());
    }();
    return record;
}

Ref<VeltoWindow> VeltoWindow::Shared()
{
    Ref<Window> window = Window::GetImplicitWindow(kClassName);
    if (!window) {
        Ref<VeltoWindow> created = New<VeltoWindow>();
        created->Constructor();
        window = created;
    }
    return CastTo<VeltoWindow>(window);
}

void VeltoWindow::Layout()
{
    MenuBar(MainMenuBar::Shared());
    SetProperties(*this, VeltoWindowSettings());
}

void VeltoWindow::CreateControls() { CreateControls0(); }

namespace {

enum class ControlClass { TextField, PushButton, Label };

struct ControlEntry {
    const char* name;
    ControlClass controlClass;
    String (*settings)();
    void (VeltoWindow::*action)(PushButton&);
};

String PushButton1Settings() { return PushButtonSettings(1); }
String PushButton2Settings() { return PushButtonSettings(2); }
String PushButton3Settings() { return PushButtonSettings(3); }

const ControlEntry kControls[] = {
    { "textRandomWord", ControlClass::TextField, TextRandomWordSettings, nullptr },
    { "PushButton1", ControlClass::PushButton, PushButton1Settings, &VeltoWindow::PushButton1_Action },
    { "PushButton2", ControlClass::PushButton, PushButton2Settings, &VeltoWindow::PushButton2_Action },
    { "PushButton3", ControlClass::PushButton, PushButton3Settings, &VeltoWindow::PushButton3_Action },
    { "lblResult", ControlClass::Label, LblResultSettings, nullptr },
    { "pushOpenFile", ControlClass::PushButton, PushOpenFileSettings, &VeltoWindow::pushOpenFile_Action },
    { "pushKnow", ControlClass::PushButton, PushKnowSettings, &VeltoWindow::pushKnow_Action },
    { "lblNumber", ControlClass::Label, LblNumberSettings, nullptr },
};

} // namespace

// Each control is complete (registered, font unit, settings, handler) before
// the next is made; nothing keeps a reference to it but the window.
void VeltoWindow::CreateControls0()
{
    for (const ControlEntry& entry : kControls) {
        {
            Ref<RectControl> control;
            switch (entry.controlClass) {
            case ControlClass::TextField: control = NewControl<TextField>(); break;
            case ControlClass::PushButton: control = NewControl<PushButton>(); break;
            case ControlClass::Label: control = NewControl<Label>(); break;
            }
            control->Constructor();
            AddControl(entry.name, control);
        }
        ControlByName(entry.name)->TextUnit(0);
        SetProperties(*ControlByName(entry.name), entry.settings());
        if (entry.action) {
            auto action = entry.action;
            ControlAs<PushButton>(entry.name)->AddHandler([this, action](PushButton& sender) { (this->*action)(sender); });
        }
    }
}

void VeltoWindow::AddMenuHandlers(Window& window)
{
    Ref<VeltoWindow> target = CastTo<VeltoWindow>(window.Self<Window>());
    VeltoWindow* handlers = target.Raw();   // the window holds its own handlers
    AddMenuHandler("menuOpen", [handlers] { return handlers->menuOpen_Action(); });
    AddMenuHandler("menuUseLeftWordAsQuestion", [handlers] { return handlers->menuUseLeftWordAsQuestion_Action(); });
}

bool VeltoWindow::Event_CancelClose(bool)
{
    Quit(0);
    return false;
}

void VeltoWindow::Event_Open() { menuUseLeftWordAsQuestion()->Checked(false); }

Ref<TextField> VeltoWindow::textRandomWord() const { return ControlAs<TextField>("textRandomWord"); }
Ref<PushButton> VeltoWindow::PushButton1() const { return ControlAs<PushButton>("PushButton1"); }
Ref<PushButton> VeltoWindow::PushButton2() const { return ControlAs<PushButton>("PushButton2"); }
Ref<PushButton> VeltoWindow::PushButton3() const { return ControlAs<PushButton>("PushButton3"); }
Ref<Label> VeltoWindow::lblResult() const { return ControlAs<Label>("lblResult"); }
Ref<PushButton> VeltoWindow::pushOpenFile() const { return ControlAs<PushButton>("pushOpenFile"); }
Ref<PushButton> VeltoWindow::pushKnow() const { return ControlAs<PushButton>("pushKnow"); }
Ref<Label> VeltoWindow::lblNumber() const { return ControlAs<Label>("lblNumber"); }

void VeltoWindow::PushButton1_Action(PushButton&) { CheckAnswer(1); }
void VeltoWindow::PushButton2_Action(PushButton&) { CheckAnswer(2); }
void VeltoWindow::PushButton3_Action(PushButton&) { CheckAnswer(3); }
void VeltoWindow::pushOpenFile_Action(PushButton&) { DisplayOpenFile(); }
void VeltoWindow::pushKnow_Action(PushButton&) { MakeButtonsVisible(true); }

Ref<MenuItem> VeltoWindow::MenuItemNamed(const char* name) const { return MenuBar()->Lookup(name); }

Ref<MenuItem> VeltoWindow::Options() const { return MenuItemNamed("Options"); }
Ref<MenuItem> VeltoWindow::menuUseLeftWordAsQuestion() const { return MenuItemNamed("menuUseLeftWordAsQuestion"); }
Ref<MenuItem> VeltoWindow::EditMenu() const { return MenuItemNamed("EditMenu"); }
Ref<MenuItem> VeltoWindow::EditSelectAll() const { return MenuItemNamed("EditSelectAll"); }
Ref<MenuItem> VeltoWindow::EditSeparator2() const { return MenuItemNamed("EditSeparator2"); }
Ref<MenuItem> VeltoWindow::EditClear() const { return MenuItemNamed("EditClear"); }
Ref<MenuItem> VeltoWindow::EditPaste() const { return MenuItemNamed("EditPaste"); }
Ref<MenuItem> VeltoWindow::EditCopy() const { return MenuItemNamed("EditCopy"); }
Ref<MenuItem> VeltoWindow::EditCut() const { return MenuItemNamed("EditCut"); }
Ref<MenuItem> VeltoWindow::EditSeparator1() const { return MenuItemNamed("EditSeparator1"); }
Ref<MenuItem> VeltoWindow::EditUndo() const { return MenuItemNamed("EditUndo"); }
Ref<MenuItem> VeltoWindow::FileMenu() const { return MenuItemNamed("FileMenu"); }
Ref<MenuItem> VeltoWindow::menuOpen() const { return MenuItemNamed("menuOpen"); }

Ref<QuitMenuItem> VeltoWindow::FileQuit() const
{
    Ref<MenuItem> item = MenuItemNamed("FileQuit");
    return item ? CastTo<QuitMenuItem>(item) : nullptr;
}

bool VeltoWindow::menuOpen_Action()
{
    DisplayOpenFile();
    return true;
}

// Every step finds the item afresh; the new side applies from the next pick.
bool VeltoWindow::menuUseLeftWordAsQuestion_Action()
{
    bool checked = menuUseLeftWordAsQuestion()->Checked();
    menuUseLeftWordAsQuestion()->Checked(!checked);
    quiz_->tfLeftWordIsQuestion = menuUseLeftWordAsQuestion()->Checked();
    return true;
}

Ref<PushButton> VeltoWindow::AnswerButton(Int32 number) const
{
    switch (number) {
    case 1: return PushButton1();
    case 2: return PushButton2();
    case 3: return PushButton3();
    default: Raise<OutOfBoundsException>("There is no answer button " + std::to_string(number));
    }
}

void VeltoWindow::SetAskedWord(const String& word) { textRandomWord()->Text(word); }
void VeltoWindow::SetAnswerCaption(Int32 button, const String& text) { AnswerButton(button)->Caption(text); }
void VeltoWindow::SetAnswerButtonVisible(Int32 button, bool visible) { AnswerButton(button)->Visible(visible); }
void VeltoWindow::SetKnowButtonVisible(bool visible) { pushKnow()->Visible(visible); }
void VeltoWindow::SetResult(const String& text) { lblResult()->Text(text); }
void VeltoWindow::SetCounter(const String& text) { lblNumber()->Text(text); }
void VeltoWindow::FocusWindow() { Shared()->SetFocus(); }
Ref<Window> VeltoWindow::DialogOwner() { return Shared(); }
