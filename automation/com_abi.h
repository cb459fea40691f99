#pragma once
// The binary surface of the in-process server, published for hosts in include/tarvenish/automation.h.

#include "tarvenish/automation.h"
