#include "app/options.h"

namespace qs::app {

void showOptions(forms::Form* owner) {
    Options options;
    options.ShowModal(owner);
}

}  // namespace qs::app
