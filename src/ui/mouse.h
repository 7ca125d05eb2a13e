// Mouse events as the components report them to their users.
#pragma once

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// Shift state of a mouse event, as bits (ssShift 1, ssAlt 2, ssCtrl 4).
using TShiftState = unsigned;
