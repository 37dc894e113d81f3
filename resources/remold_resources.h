// The program's resource table: dialog templates 100 (About), 102 (upgrade dialog) and 1109
// (information window), the string table and the icon. main installs it with AfxWinMain;
// tests may install it with framework::SetResources.
#pragma once

#include "platform/framework/resource_table.h"
#include "resources/resource.h"

const framework::ResourceTable& RemoldResources();
