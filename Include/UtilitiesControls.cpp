#include "Include/UtilitiesControls.h"

#include "Framework/Controls.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/NumberText.h"
#include "Include/Dialogs.h"

#include <stdexcept>

namespace {

const char* const Module = "Include\\Utilities";

int32_t IntegerOrThrow(const std::string& text) {
    int32_t value = 0;
    if (!TextToInteger(text, value)) throw std::invalid_argument("'" + text + "' is not a valid integer value");
    return value;
}

}  // namespace

int32_t GetIntFromComboBox(TComboBox& ComboBox, int32_t Minimum, int32_t Maximum, int32_t Default) {
    TFunOperation op(Module, "GetIntFromComboBox", __LINE__);
    int32_t value = Default;
    const std::string text = ComboBox.SelectedText();
    bool outOfLimits = true;
    if (text.empty()) {
        outOfLimits = Default < Minimum || Default > Maximum;
    } else {
        op.Guard(__LINE__, [&] {
            value = IntegerOrThrow(text);
            outOfLimits = value < Minimum || value > Maximum;
        });
    }
    if (outOfLimits) {
        op.Guard(__LINE__, [&] {
            ShowWarning("Integer value outside limits.\nIt will be set to default.\n    * Minimum = " +
                        std::to_string(Minimum) + "\n    * Maximum = " + std::to_string(Maximum) +
                        "\n    * Default = " + std::to_string(Default));
            MyFocusControl(ComboBox);
            if (op.TakeCurrent()) {}  // a control that cannot take the focus still shows the default
            ComboBox.SetSelectedText(std::to_string(Default));
        });
        value = Default;
    }
    op.EndPassing();
    return value;
}

int32_t GetIntFromComboBox(TComboBox& ComboBox) { return GetIntFromComboBox(ComboBox, INT32_MIN, INT32_MAX, 0); }

void MyFocusControl(TControl& Control) {
    TFunOperation op(Module, "MyFocusControl", __LINE__);
    op.Guard(__LINE__, [&] {
        if (!IsWindowVisible(Control.Handle()) || !IsWindowEnabled(Control.Handle()))
            throw std::runtime_error("Cannot focus a disabled or invisible window");
        SetFocus(Control.Handle());
    });
    op.EndPassing();
}
