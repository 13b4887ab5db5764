#include "OpenDialog.h"

#include "Interaction.h"
#include "Window.h"

const ClassRecord& FolderItemDialog::Class()
{
    static const ClassRecord& record
        = ClassRegistry::Register(ClassRecordBuilder("FolderItemDialog", &Object::Class()).Build());
    return record;
}

const ClassRecord& OpenDialog::Class()
{
    static const ClassRecord& record
        = ClassRegistry::Register(ClassRecordBuilder("OpenDialog", &FolderItemDialog::Class()).Build());
    return record;
}

Ref<FolderItem> FolderItemDialog::ShowModalWithin(const Ref<Window>& owner)
{
    return CurrentInteraction().ChooseFile({ title_, initialDirectory_, owner.Raw() });
}
