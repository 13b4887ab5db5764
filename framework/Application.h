#pragma once

#include "Object.h"

class MenuBar;

// The running application towards the framework: it receives the
// application events and carries the application's menu bar.
class Application : public Object {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // Both raise ThreadAccessingUIException outside the user-interface thread.
    Ref<::MenuBar> MenuBar() const;
    void MenuBar(Ref<::MenuBar> bar);

    // Raises the Open event through the class's event table.
    void CallOpen();

private:
    Ref<::MenuBar> menuBar_;
};
