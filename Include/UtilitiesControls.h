// The control services of the utilities: whole numbers read from drop-down lists with limits and
// a default, and the keyboard focus. They report as module "Include\Utilities".
#pragma once

#include <cstdint>

class TComboBox;
class TControl;

// The list's number: Default when its text is empty; outside Minimum..Maximum, or not a number,
// a warning names the limits, the list shows Default and Default is returned.
int32_t GetIntFromComboBox(TComboBox& ComboBox, int32_t Minimum, int32_t Maximum, int32_t Default);
// Without limits and with the default 0.
int32_t GetIntFromComboBox(TComboBox& ComboBox);

void MyFocusControl(TControl& Control);
