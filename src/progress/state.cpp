#include "progress/state.h"

namespace progress {

State &state() {
    static State the_state;
    return the_state;
}

}  // namespace progress
