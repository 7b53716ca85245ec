// The three plug-in classes as the Microsoft x64 C++ ABI has them, built by
// hand because mingw's g++ speaks only the Itanium ABI. Every member is a
// plain C function under the member's decorated name (`this` first, in RCX,
// which is also where the Microsoft ABI passes it), and the virtual tables,
// each preceded by the pointer to its RTTI complete object locator, are laid
// out in the assembly at the end, where the RTTI image-relative offsets can
// be written. exports_windows.def exports the members under the same names.
//
// The object's memory comes from the process heap and goes back there: that
// is where the Microsoft C runtime's operator new takes memory from too, so a
// host's own `new Tessarin` can also be deleted through slot 0.
#if defined(_WIN32)

#include "shell/msvc_classes_windows.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "convert/conversion_run.h"
#include "shell/closing_banner.h"
#include "shell/host_functions.h"
#include "shell/startup_checks.h"

#define MSVC_SYMBOL(decorated) __asm__("\"" decorated "\"")

using Object = MsvcPluginObject;

extern "C" {

// The tables (slot 0 of each), defined in the assembly below under these
// names and the decorated ones ("??_7Tessarin@@6B@"). mingw's g++ reaches
// data of other objects through a ".refptr." symbol made from the name, which
// cannot be made from a quoted one.
extern const MsvcPluginVtable tessarinMsvcInterfaceTable;
extern const MsvcPluginVtable tessarinMsvcStaticInterfaceTable;
extern const MsvcPluginVtable tessarinMsvcTessarinTable;

// ZKRPluginInterface: no data, so the constructors only set the table and
// the assignment copies nothing.
Object* interfaceConstruct(Object*) noexcept MSVC_SYMBOL("??0ZKRPluginInterface@@QEAA@XZ");
Object* interfaceCopyConstruct(Object*, const Object*) noexcept
    MSVC_SYMBOL("??0ZKRPluginInterface@@QEAA@AEBV0@@Z");
void interfaceDestruct(Object*) noexcept MSVC_SYMBOL("??1ZKRPluginInterface@@UEAA@XZ");
Object* interfaceAssign(Object*, const Object*) noexcept
    MSVC_SYMBOL("??4ZKRPluginInterface@@QEAAAEAV0@AEBV0@@Z");
void* interfaceDelete(Object*, unsigned int) noexcept MSVC_SYMBOL("??_GZKRPluginInterface@@UEAAPEAXI@Z");

// static_intf::ZKRPluginInterface: the same, with a table of its own.
Object* staticInterfaceConstruct(Object*) noexcept MSVC_SYMBOL("??0ZKRPluginInterface@static_intf@@QEAA@XZ");
Object* staticInterfaceCopyConstruct(Object*, const Object*) noexcept
    MSVC_SYMBOL("??0ZKRPluginInterface@static_intf@@QEAA@AEBV01@@Z");
void staticInterfaceDestruct(Object*) noexcept MSVC_SYMBOL("??1ZKRPluginInterface@static_intf@@UEAA@XZ");
Object* staticInterfaceAssign(Object*, const Object*) noexcept
    MSVC_SYMBOL("??4ZKRPluginInterface@static_intf@@QEAAAEAV01@AEBV01@@Z");
void* staticInterfaceDelete(Object*, unsigned int) noexcept
    MSVC_SYMBOL("??_GZKRPluginInterface@static_intf@@UEAAPEAXI@Z");

// Tessarin.
Object* tessarinConstruct(Object*) noexcept MSVC_SYMBOL("??0Tessarin@@QEAA@XZ");
void tessarinDestruct(Object*) noexcept MSVC_SYMBOL("??1Tessarin@@UEAA@XZ");
bool tessarinExecute(Object*) noexcept MSVC_SYMBOL("?execute@Tessarin@@UEAA_NXZ");
bool tessarinInitPlugin(Object*) noexcept MSVC_SYMBOL("?initPlugin@Tessarin@@UEAA_NXZ");
void* tessarinDelete(Object*, unsigned int) noexcept MSVC_SYMBOL("??_GTessarin@@UEAAPEAXI@Z");

// The interfaces' pure slots.
[[noreturn]] void pureVirtualCall() noexcept MSVC_SYMBOL("tessarinPureVirtualCall");

}  // extern "C"

namespace {

Object* setTable(Object* self, const MsvcPluginVtable& table) {
    self->vtable = &table;
    return self;
}

void* deleteAfter(void (*destruct)(Object*), Object* self, unsigned int flags) {
    destruct(self);
    if (flags & MSVC_DELETE_FREES) HeapFree(GetProcessHeap(), 0, self);
    return self;
}

}  // namespace

extern "C" {

Object* interfaceConstruct(Object* self) noexcept { return setTable(self, tessarinMsvcInterfaceTable); }
Object* interfaceCopyConstruct(Object* self, const Object*) noexcept {
    return setTable(self, tessarinMsvcInterfaceTable);
}
// As in any destructor, the object is of the destructor's class from here on:
// a virtual call on it now reaches the pure slots, not a destroyed Tessarin.
void interfaceDestruct(Object* self) noexcept { setTable(self, tessarinMsvcInterfaceTable); }
Object* interfaceAssign(Object* self, const Object*) noexcept { return self; }
void* interfaceDelete(Object* self, unsigned int flags) noexcept {
    return deleteAfter(interfaceDestruct, self, flags);
}

Object* staticInterfaceConstruct(Object* self) noexcept {
    return setTable(self, tessarinMsvcStaticInterfaceTable);
}
Object* staticInterfaceCopyConstruct(Object* self, const Object*) noexcept {
    return setTable(self, tessarinMsvcStaticInterfaceTable);
}
void staticInterfaceDestruct(Object* self) noexcept { setTable(self, tessarinMsvcStaticInterfaceTable); }
Object* staticInterfaceAssign(Object* self, const Object*) noexcept { return self; }
void* staticInterfaceDelete(Object* self, unsigned int flags) noexcept {
    return deleteAfter(staticInterfaceDestruct, self, flags);
}

Object* tessarinConstruct(Object* self) noexcept {
    return setTable(interfaceConstruct(self), tessarinMsvcTessarinTable);
}
void tessarinDestruct(Object* self) noexcept {
    setTable(self, tessarinMsvcTessarinTable);
    writeClosingBanner();
    interfaceDestruct(self);
}
bool tessarinExecute(Object*) noexcept { return tessarin::executeConversionRun(); }
bool tessarinInitPlugin(Object*) noexcept { return runStartupChecksSafely(); }
void* tessarinDelete(Object* self, unsigned int flags) noexcept {
    return deleteAfter(tessarinDestruct, self, flags);
}

// What the Microsoft runtime's _purecall does for a program of its own: say
// so and stop, rather than run on in an object that is not what it claims.
void pureVirtualCall() noexcept {
    static const char kText[] =
        "Tessarin: a pure virtual function of ZKRPluginInterface was called: the plug-in object is "
        "destroyed or not fully constructed. The process is stopped.";
    if (hostFunctionsBound()) {
        try {
            zkMessageBox(kText);
        } catch (...) {
        }
    }
    std::fprintf(stderr, "%s\n", kText);
    std::fflush(stderr);
    std::abort();
}

}  // extern "C"

MsvcPluginObject* newMsvcTessarin() noexcept {
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(Object));
    return memory == nullptr ? nullptr : tessarinConstruct(static_cast<Object*>(memory));
}

// The virtual tables and their RTTI, as the Microsoft compiler lays them out
// for these classes with RTTI on (its default): the word before slot 0 points
// at the complete object locator; the locator, the class hierarchy and the
// base class descriptors refer to each other by image-relative offsets
// (.rva). A type descriptor's first word would point at the runtime's
// type_info table, which this module does not link; nothing reads it (type
// comparisons and names use the decorated name that follows), so it is null.
// Type descriptors are writable: type_info::name keeps its result in the
// second word.
__asm__(R"(
    .section .rdata,"dr"
    .p2align 4
    .quad "??_R4Tessarin@@6B@"
    .globl "??_7Tessarin@@6B@", tessarinMsvcTessarinTable
"??_7Tessarin@@6B@":
tessarinMsvcTessarinTable:
    .quad "??_GTessarin@@UEAAPEAXI@Z"
    .quad "?execute@Tessarin@@UEAA_NXZ"
    .quad "?initPlugin@Tessarin@@UEAA_NXZ"
    .quad "??_R4ZKRPluginInterface@@6B@"
    .globl "??_7ZKRPluginInterface@@6B@", tessarinMsvcInterfaceTable
"??_7ZKRPluginInterface@@6B@":
tessarinMsvcInterfaceTable:
    .quad "??_GZKRPluginInterface@@UEAAPEAXI@Z"
    .quad tessarinPureVirtualCall
    .quad tessarinPureVirtualCall
    .quad "??_R4ZKRPluginInterface@static_intf@@6B@"
    .globl "??_7ZKRPluginInterface@static_intf@@6B@", tessarinMsvcStaticInterfaceTable
"??_7ZKRPluginInterface@static_intf@@6B@":
tessarinMsvcStaticInterfaceTable:
    .quad "??_GZKRPluginInterface@static_intf@@UEAAPEAXI@Z"
    .quad tessarinPureVirtualCall
    .quad tessarinPureVirtualCall

    # Complete object locators: signature 1 (image-relative), offset of the
    # table in the object 0, no constructor displacement; type, hierarchy, self.
    .p2align 2
"??_R4Tessarin@@6B@":
    .long 1, 0, 0
    .rva "??_R0?AVTessarin@@@8", "??_R3Tessarin@@8", "??_R4Tessarin@@6B@"
"??_R4ZKRPluginInterface@@6B@":
    .long 1, 0, 0
    .rva "??_R0?AVZKRPluginInterface@@@8", "??_R3ZKRPluginInterface@@8", "??_R4ZKRPluginInterface@@6B@"
"??_R4ZKRPluginInterface@static_intf@@6B@":
    .long 1, 0, 0
    .rva "??_R0?AVZKRPluginInterface@static_intf@@@8", "??_R3ZKRPluginInterface@static_intf@@8"
    .rva "??_R4ZKRPluginInterface@static_intf@@6B@"

    # Class hierarchy descriptors: signature 0, single non-virtual
    # inheritance, number of classes (the class itself included), their array.
"??_R3Tessarin@@8":
    .long 0, 0, 2
    .rva "??_R2Tessarin@@8"
"??_R3ZKRPluginInterface@@8":
    .long 0, 0, 1
    .rva "??_R2ZKRPluginInterface@@8"
"??_R3ZKRPluginInterface@static_intf@@8":
    .long 0, 0, 1
    .rva "??_R2ZKRPluginInterface@static_intf@@8"
"??_R2Tessarin@@8":
    .rva "??_R1A@?0A@EA@Tessarin@@8", "??_R1A@?0A@EA@ZKRPluginInterface@@8"
    .long 0
"??_R2ZKRPluginInterface@@8":
    .rva "??_R1A@?0A@EA@ZKRPluginInterface@@8"
    .long 0
"??_R2ZKRPluginInterface@static_intf@@8":
    .rva "??_R1A@?0A@EA@ZKRPluginInterface@static_intf@@8"
    .long 0

    # Base class descriptors: type, number of bases it contains, where it
    # lies in the object (offset 0, no virtual base: -1, 0), attributes (has
    # a hierarchy descriptor), its hierarchy.
"??_R1A@?0A@EA@Tessarin@@8":
    .rva "??_R0?AVTessarin@@@8"
    .long 1, 0, -1, 0, 0x40
    .rva "??_R3Tessarin@@8"
"??_R1A@?0A@EA@ZKRPluginInterface@@8":
    .rva "??_R0?AVZKRPluginInterface@@@8"
    .long 0, 0, -1, 0, 0x40
    .rva "??_R3ZKRPluginInterface@@8"
"??_R1A@?0A@EA@ZKRPluginInterface@static_intf@@8":
    .rva "??_R0?AVZKRPluginInterface@static_intf@@@8"
    .long 0, 0, -1, 0, 0x40
    .rva "??_R3ZKRPluginInterface@static_intf@@8"

    # Type descriptors: type_info table (see above), the name cache, the name.
    .section .data,"dw"
    .p2align 4
"??_R0?AVTessarin@@@8":
    .quad 0, 0
    .asciz ".?AVTessarin@@"
    .p2align 4
"??_R0?AVZKRPluginInterface@@@8":
    .quad 0, 0
    .asciz ".?AVZKRPluginInterface@@"
    .p2align 4
"??_R0?AVZKRPluginInterface@static_intf@@@8":
    .quad 0, 0
    .asciz ".?AVZKRPluginInterface@static_intf@@"
    .text
)");

#endif  // _WIN32
