/* A plug-in object as a host built with the Microsoft compiler sees it on
   64-bit Windows, in plain C: ZKRPluginInterface, static_intf's copy of it
   and Tessarin all have this layout.

   The object is one pointer, to its class's table of three slots (the
   exported "??_7...@@6B@" symbol points at slot 0; the word before slot 0
   points at the class's RTTI complete object locator). Each slot is a member
   function: `this` is the first parameter (RCX), flags the second (EDX), a
   bool comes back in AL, exactly as for the plain C functions below.

     delete p        calls slot 0 with flags MSVC_DELETE_FREES
     p->execute()    calls slot 1
     p->initPlugin() calls slot 2

   The interface classes' slots 1 and 2 are pure: they report the faulty call
   and terminate the process. No slot lets an exception out. */
#pragma once

#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MsvcPluginObject MsvcPluginObject;

typedef struct MsvcPluginVtable {
    /* The scalar deleting destructor: runs the destructor (Tessarin's writes
       the closing banner, then the base destructor runs), frees the object's
       memory when bit 0 of flags is set, and returns self. */
    void* (*scalarDeletingDestructor)(MsvcPluginObject* self, unsigned int flags);
    bool (*execute)(MsvcPluginObject* self);
    bool (*initPlugin)(MsvcPluginObject* self);
} MsvcPluginVtable;

struct MsvcPluginObject {
    const MsvcPluginVtable* vtable;
};

/* Bit 0 of the deleting destructor's flags: free the memory afterwards. */
#define MSVC_DELETE_FREES 1u

#ifdef __cplusplus
}
#endif
