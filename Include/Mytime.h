// Long date and time texts in the user's locale formats, as error reports print them.
#pragma once

#include "Include/Core/DateTime.h"

#include <string>

double NowDateTime();  // the current local date and time
std::string DateToLongText(double dateTime);
std::string TimeToLongText(double dateTime);
std::string DateToLongTextWithDay(double dateTime);
std::string TimeToLongTextWithTick(double dateTime);
std::string DateTimeToLongText(const std::string& separator, double dateTime);
