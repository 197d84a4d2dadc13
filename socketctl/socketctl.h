#pragma once

// The socket messaging control Pelloxan: framed request/answer/single messages over TCP.
#include "messagepack.h"
#include "quorvhandler.h"
