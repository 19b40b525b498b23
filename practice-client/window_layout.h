// The practice client's windows as the client model describes them: the classes it registers, and each
// window's children in their sibling order.
#pragma once

#include "client_window_tree.h"

namespace vorivevo::practice {

using client_model::ChildRole;
using client_model::Children;
using client_model::ChildWindow;
using client_model::ClassOf;
using client_model::Control;
using client_model::kDialogChildren;
using client_model::kFrameClass;
using client_model::kModalClass;
using client_model::kOtherWindowClass;
using client_model::kPaletteClass;
using client_model::kRoomChildren;
using client_model::kRoomClass;

}  // namespace vorivevo::practice
