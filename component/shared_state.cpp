#include "component/shared_state.h"

#include "base/thread_exit.h"

namespace tarvenish {

Connection& SharedState::conn() {
    if (!Conn) Conn = Connection::create();
    return *Conn;
}

SharedState& sharedState() {
    // Apartment threading: every host thread that uses the component has a record of its own.
    return threadRecord<SharedState>();
}

}  // namespace tarvenish
