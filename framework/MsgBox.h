#pragma once

#include "String.h"

// A modal message box showing the text; returns once the user has closed it.
void MsgBox(const String& text);
