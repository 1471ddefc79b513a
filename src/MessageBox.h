// MessageBox: the fatal-error report. Always written to stderr; also shown as a modal
// dialog when a desktop display is there to show it.
#pragma once

#include "Zemb/String.h"

namespace MessageBox
{
    void ShowError(const Zemb::String& text, const char* caption);
}
