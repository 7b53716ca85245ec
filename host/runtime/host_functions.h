// The exported host functions that the plug-in binds by name.
#pragma once

namespace zevkalon {

class Workspace;

// The workspace that the exported zk functions act on; null between runs,
// when every function answers 0 (or null) and does nothing.
void setActiveWorkspace(Workspace* workspace);

}  // namespace zevkalon
