/*
 * The boundary between the plug-in and its host application.
 *
 * Both sides include this header: the plug-in to call the host through its
 * function table, the stand-in host (and the test hosts) to export the same
 * functions. It is plain C so that any host can use it, and every record has
 * its named fields at fixed byte offsets (checked below for 64-bit targets);
 * bytes that the plug-in never reads are kept as reserved padding.
 */
#ifndef TESSARIN_SHELL_HOST_API_H
#define TESSARIN_SHELL_HOST_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Document type codes returned by zkGetDocumentType. */
#define ZK_DOCUMENT_TYPE_VMR 3
#define ZK_DOCUMENT_TYPE_SRF 4

/* The surface-mesh document. The host owns every array for the whole run. */
typedef struct SRFInfo {
    int32_t NrOfVertices;           /*   0 */
    int32_t NrOfTriangles;          /*   4 */
    float* VertexX;                 /*   8 */
    float* VertexY;                 /*  16 */
    float* VertexZ;                 /*  24 */
    float* NormalX;                 /*  32 */
    float* NormalY;                 /*  40 */
    float* NormalZ;                 /*  48 */
    unsigned char Reserved0[64];    /*  56 */
    int32_t* Triangles;             /* 120: three vertex indices per triangle */
    int32_t* NrOfNeighbours;        /* 128: one count per vertex */
    int32_t** Neighbours;           /* 136: per vertex, NrOfNeighbours[v] indices */
    unsigned char Reserved1[16];    /* 144 */
    char* FileName;                 /* 160: the mesh file path */
    unsigned char Reserved2[8];     /* 168 */
} SRFInfo;

/* The anatomical volume document's main header. */
typedef struct VMRHeader {
    unsigned char Reserved0[304];
    int32_t DimX;                   /* 304: first axis, runs fastest */
    int32_t DimY;                   /* 308 */
    int32_t DimZ;                   /* 312: third axis, runs slowest */
    unsigned char Reserved1[36];    /* 316 */
    int32_t OrientationCode;        /* 352 */
    unsigned char Reserved2[12];    /* 356 */
} VMRHeader;

/* Size of the inline VOI file path, terminating zero included. */
#define ZK_VOIS_FILE_NAME_SIZE 264
/* Size of the inline VOI name, terminating zero included. */
#define ZK_VOI_NAME_SIZE 256

/* The set of VOIs loaded on the current VMR. */
typedef struct VOIsInfo {
    int32_t NrOfVOIs;                          /*   0 */
    unsigned char Reserved0[4];                /*   4 */
    char FileName[ZK_VOIS_FILE_NAME_SIZE];     /*   8: the VOI file path */
    int32_t CoordsType;                        /* 272: 3 means centred coordinates */
    unsigned char Reserved1[36];               /* 276 */
} VOIsInfo;

/* One VOI. Color packs red * 65536 + green * 256 + blue. */
typedef struct VOIInfo {
    int32_t NrOfVoxels;                        /*   0 */
    char Name[ZK_VOI_NAME_SIZE];               /*   4 */
    int32_t Color;                             /* 260 */
    unsigned char Reserved0[8];                /* 264 */
} VOIInfo;

/*
 * The fourteen host functions that the plug-in calls, as an X-macro:
 * X(result type, name, parameter list, argument list). Results that the
 * plug-in does not rely on are still declared, so a host can report them.
 *
 * zkGetVOI returns a pointer to NrOfVoxels consecutive int32 triples, valid
 * until the next host call.
 */
#define ZK_CALLED_HOST_FUNCTIONS(X)                                                                 \
    X(int32_t, zkGetVersionOfZevkalon, (int32_t * major, int32_t * minor, int32_t * third),        \
      (major, minor, third))                                                                         \
    X(int32_t, zkShowLogTab, (void), ())                                                             \
    X(int32_t, zkLogText, (const char* text), (text))                                                \
    X(int32_t, zkMessageBox, (const char* text), (text))                                             \
    X(int32_t, zkGetNumberOfDocsInWorkspace, (void), ())                                             \
    X(int32_t, zkGetDocumentType, (int32_t document), (document))                                   \
    X(int32_t, zkSetAsCurrentDocument, (int32_t document), (document))                              \
    X(int32_t, zkGetVOIs, (VOIsInfo * vois), (vois))                                                 \
    X(const int32_t*, zkGetVOI, (int32_t voi, VOIInfo * info), (voi, info))                         \
    X(int32_t, zkGetMainHeaderOfCurrentVMR, (VMRHeader * header), (header))                         \
    X(int32_t, zkGetCurrentSRF, (SRFInfo * srf), (srf))                                              \
    X(float, zkGetFloatParameter, (const char* name), (name))                                        \
    X(int32_t, zkGetIntParameter, (const char* name), (name))                                        \
    X(int32_t, zkLoadPOIs, (const char* path), (path))

/* One pointer type per called host function: zkLogText_fn and so on. */
#define ZK_DECLARE_FUNCTION_TYPE(result, name, params, args) typedef result(*name##_fn) params;
ZK_CALLED_HOST_FUNCTIONS(ZK_DECLARE_FUNCTION_TYPE)
#undef ZK_DECLARE_FUNCTION_TYPE

#ifdef __cplusplus
} /* extern "C" */

#include <cstddef>
#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(SRFInfo) == 176, "SRFInfo size");
static_assert(offsetof(SRFInfo, NrOfTriangles) == 4, "SRFInfo layout");
static_assert(offsetof(SRFInfo, VertexX) == 8, "SRFInfo layout");
static_assert(offsetof(SRFInfo, VertexY) == 16, "SRFInfo layout");
static_assert(offsetof(SRFInfo, VertexZ) == 24, "SRFInfo layout");
static_assert(offsetof(SRFInfo, NormalX) == 32, "SRFInfo layout");
static_assert(offsetof(SRFInfo, NormalY) == 40, "SRFInfo layout");
static_assert(offsetof(SRFInfo, NormalZ) == 48, "SRFInfo layout");
static_assert(offsetof(SRFInfo, Triangles) == 120, "SRFInfo layout");
static_assert(offsetof(SRFInfo, NrOfNeighbours) == 128, "SRFInfo layout");
static_assert(offsetof(SRFInfo, Neighbours) == 136, "SRFInfo layout");
static_assert(offsetof(SRFInfo, FileName) == 160, "SRFInfo layout");
#endif
static_assert(sizeof(VMRHeader) == 368, "VMRHeader size");
static_assert(offsetof(VMRHeader, DimX) == 304, "VMRHeader layout");
static_assert(offsetof(VMRHeader, DimY) == 308, "VMRHeader layout");
static_assert(offsetof(VMRHeader, DimZ) == 312, "VMRHeader layout");
static_assert(offsetof(VMRHeader, OrientationCode) == 352, "VMRHeader layout");
static_assert(sizeof(VOIsInfo) == 312, "VOIsInfo size");
static_assert(offsetof(VOIsInfo, FileName) == 8, "VOIsInfo layout");
static_assert(offsetof(VOIsInfo, CoordsType) == 272, "VOIsInfo layout");
static_assert(sizeof(VOIInfo) == 272, "VOIInfo size");
static_assert(offsetof(VOIInfo, Name) == 4, "VOIInfo layout");
static_assert(offsetof(VOIInfo, Color) == 260, "VOIInfo layout");
#endif /* __cplusplus */

#endif /* TESSARIN_SHELL_HOST_API_H */
