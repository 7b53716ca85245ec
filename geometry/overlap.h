// Taking vertices shared by several POIs away and handing each back to one.
#pragma once

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"
#include "poi/poi_file.h"

namespace tessarin {

// The records visited by the operations below are POIs[0 .. NrOfPOIs - 1]
// (bounded by POIs.size()); records beyond are left alone.

// Every vertex that occurs two or more times over all records together (also
// twice within one record): ascending, each once. Needs no mesh; any int32
// values are handled. Cost O(entries), or O(entries log entries) when the
// values are spread far wider than the mesh.
VertexList findOverlapVertices(const POIFile& file);

// When overlap is not empty, removes from every record, in record order, the
// first occurrence of each vertex of overlap (the later entries move up; of a
// vertex listed twice in a record, one occurrence stays). Then stores every
// record's length in NrOfVertices, also when overlap is empty. A vertex listed
// c times in overlap removes up to c occurrences.
void removeOverlapVertices(POIFile& file, const VertexList& overlap);

// Hands the remaining vertices back to the records, in passes. In each pass,
// record 0 first: a record takes, in ascending order and appended to its
// Vertices, every vertex of its current outer ring that still occurs in
// remaining (one occurrence of it is then used up). A vertex that several
// records could take in one pass goes to the lowest-numbered; one reached in
// fewer passes goes to the record that reaches it first. Stops when remaining
// is used up or a whole pass took nothing; what is left belongs to no record.
// Then stores every record's length in NrOfVertices.
// Preconditions: record entries, remaining and neighbour rows hold indices
// 0 .. nrOfVertices - 1. Cost: about the records' neighbour rows once, then
// only the rows of the vertices handed out.
void redistributeVertices(POIFile& file, VertexList remaining, const SurfaceMesh& mesh);

}  // namespace tessarin
