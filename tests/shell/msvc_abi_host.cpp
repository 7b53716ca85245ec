// Plug-in calls as a host built with the Microsoft compiler makes them from
// C++: compiled by clang for the Microsoft x64 ABI (not by mingw) and linked
// into the Windows host test, which calls these C functions.
class ZKRPluginInterface {
public:
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};

class Tessarin : public ZKRPluginInterface {
public:
    ~Tessarin() override;
    bool execute() override;
    bool initPlugin() override;
};

class UnrelatedInterface {
public:
    virtual ~UnrelatedInterface();
};

// createPlugin, initPlugin, delete; initPlugin's result.
extern "C" bool msvcAbiHostStartUp(ZKRPluginInterface* (*createPlugin)()) {
    ZKRPluginInterface* plugin = createPlugin();
    const bool accepted = plugin->initPlugin();
    delete plugin;
    return accepted;
}

// The object's run-time type through the Microsoft runtime's dynamic_cast
// (which reads the RTTI that the word before the table points at): true when
// it is a Tessarin and not an UnrelatedInterface.
extern "C" bool msvcAbiHostSeesATessarin(ZKRPluginInterface* plugin) {
    return dynamic_cast<Tessarin*>(plugin) == plugin && dynamic_cast<UnrelatedInterface*>(plugin) == nullptr;
}
