#pragma once

#include "sim/session.h"

#include <memory>

namespace vardelwin {

// Runs the session on a thread of its own, paced in real time; false when no
// thread could be made.
bool StartWorker(std::shared_ptr<vardel::Session> session);

} // namespace vardelwin
