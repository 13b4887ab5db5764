#pragma once

#include "MenuItem.h"

// The menu bar of the application and of its window: File, Edit and
// Options. One shared instance, built on first use and held until shutdown.
class MainMenuBar : public MenuBar {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The shared bar, built on first use.
    static Ref<MainMenuBar> Shared();
    // Releases the shared bar at shutdown; does nothing when there is none.
    static void ReleaseShared() noexcept;
    static bool HasShared() noexcept;

    void Constructor() override;
    void FileMenu();
    void EditMenu();
    void Options();
};
