// The plug-in classes as a library built with the Microsoft compiler would
// declare and export them. Not part of any build: the export-table test has
// clang compile it for the Microsoft x64 ABI (-S) and compares the decorated
// names clang exports with those of Tessarin.dll.
class __declspec(dllexport) ZKRPluginInterface {
public:
    ZKRPluginInterface();
    ZKRPluginInterface(const ZKRPluginInterface&);
    ZKRPluginInterface& operator=(const ZKRPluginInterface&);
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};

namespace static_intf {
class __declspec(dllexport) ZKRPluginInterface {
public:
    ZKRPluginInterface();
    ZKRPluginInterface(const ZKRPluginInterface&);
    ZKRPluginInterface& operator=(const ZKRPluginInterface&);
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};
}  // namespace static_intf

class __declspec(dllexport) Tessarin : public ZKRPluginInterface {
public:
    Tessarin();
    ~Tessarin() override;
    bool execute() override;
    bool initPlugin() override;
};

// Defined, so that the compiler emits and exports them.
ZKRPluginInterface::ZKRPluginInterface() = default;
ZKRPluginInterface::ZKRPluginInterface(const ZKRPluginInterface&) {}
ZKRPluginInterface& ZKRPluginInterface::operator=(const ZKRPluginInterface&) { return *this; }
ZKRPluginInterface::~ZKRPluginInterface() = default;
static_intf::ZKRPluginInterface::ZKRPluginInterface() = default;
static_intf::ZKRPluginInterface::ZKRPluginInterface(const ZKRPluginInterface&) {}
static_intf::ZKRPluginInterface& static_intf::ZKRPluginInterface::operator=(const ZKRPluginInterface&) {
    return *this;
}
static_intf::ZKRPluginInterface::~ZKRPluginInterface() = default;
Tessarin::Tessarin() = default;
Tessarin::~Tessarin() = default;
bool Tessarin::execute() { return true; }
bool Tessarin::initPlugin() { return true; }
