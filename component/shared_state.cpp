#include "component/shared_state.h"

namespace tarvenish {

Connection& SharedState::conn() {
    if (!Conn) Conn = Connection::create();
    return *Conn;
}

SharedState& sharedState() {
    // Apartment threading: every host thread that uses the component has a record of its own.
    thread_local SharedState state;
    return state;
}

}  // namespace tarvenish
