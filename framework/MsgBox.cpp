#include "MsgBox.h"

#include "Interaction.h"

void MsgBox(const String& text) { CurrentInteraction().ShowMessage(text); }
