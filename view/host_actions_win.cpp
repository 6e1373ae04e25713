#include "view/host_actions_win.h"

namespace {
HostActions g_actions = {};
}

void setHostActions(const HostActions& actions) { g_actions = actions; }
const HostActions& hostActions() { return g_actions; }
