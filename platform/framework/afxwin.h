// The application framework in one include: window classes, dialogs, controls, the message
// queue, message boxes, the string table and the application object.
#pragma once

#include "platform/framework/app.h"
#include "platform/framework/dialog.h"
#include "platform/framework/message.h"
#include "platform/framework/msgbox.h"
#include "platform/framework/object.h"
#include "platform/framework/strings.h"
#include "platform/framework/wintypes.h"
#include "platform/framework/wnd.h"
