// The splash library: the product banner, drawn by the front end in use.
#include "platform/showpane/showpane.h"

#include "platform/framework/front_end.h"

void ShowSplash(HWND /*window*/) {
  if (framework::FrontEnd* frontEnd = framework::CurrentFrontEnd()) {
    frontEnd->ShowBanner({"Vendrix 32", "Sales Order Entry", "", "Corvane"});
  }
}
