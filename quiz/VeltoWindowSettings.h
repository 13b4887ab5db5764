#pragma once

#include "String.h"

// The fixed settings batches of the main window and of its controls.
String VeltoWindowSettings();
String TextRandomWordSettings();
String PushButtonSettings(Int32 number);   // PushButton1..3
String PushOpenFileSettings();
String PushKnowSettings();
String LblResultSettings();
String LblNumberSettings();
