#pragma once
// What a screen reader hears in the controls editor: each binding button by its action and kind
// with the binding (or the capture's prompt) as its value, each "Clear" by its action, and the
// pulse-pedal check box by the label beside it.
#include <windows.h>

#include <string>

// Gives the binding, Clear and pulse-pedal controls of the editor their accessible objects.
void GiveEditorAccessibleFacts(HWND editor);
// A binding button's new text; a change is announced as a change of its value.
void SetBindingText(HWND button, const std::wstring& text);

// "Accelerate / button B, keyboard" or "..., controller"; empty for another id.
std::wstring BindingButtonName(int controlId);
