"""The real brain of scripts/real_brain.py in the spaces researchers' files use.

    real_brain_variants.py SCRIPTS_DIR OUTDIR

Builds the Colin27 white-matter surface (--voxel-size 2.6) and the AAL atlas,
then writes into OUTDIR:
  aal.nii.gz, aal_lut.txt    the atlas as NIfTI and its colour table
  aal.mgz                    the atlas as MGZ (same grid and vox2ras)
  world.surf.gii             the surface in scanner (world) coordinates
  lh.white                   FreeSurfer binary surface, tkregister coordinates of a
                             conformed 256^3 volume, with the volume-geometry footer
  tkr.surf.gii               GIFTI in tkregister coordinates of the atlas's own
                             (not conformed) grid, with FreeSurfer's VolGeom metadata
Coordinates are rounded to 1/1024 mm and every transform moves by whole or half
millimetres along the axes, so each variant holds exactly the same surface.
"""
import os
import sys

import nibabel as nib
import numpy as np
from nibabel.freesurfer import io as fsio

sys.path.insert(0, sys.argv[1])
import real_brain  # noqa: E402

out = sys.argv[2]
os.makedirs(out, exist_ok=True)
t1 = nib.load(os.path.join(real_brain.TEMPLATES, "ch2bet.nii.gz"))
mask = real_brain.white_matter_mask(np.asarray(t1.dataobj))
world, faces = real_brain.surface_in_world(mask, t1.affine, 2.6)
world = np.round(world.astype(np.float64) * 1024) / 1024
real_brain.write_gifti(os.path.join(out, "world.surf.gii"), world.astype(np.float32), faces)
aal = nib.load(os.path.join(real_brain.TEMPLATES, "aal.nii.gz"))
nib.save(aal, os.path.join(out, "aal.nii.gz"))
real_brain.write_colour_table(os.path.join(out, "aal_lut.txt"))
mgz = nib.MGHImage(np.asarray(aal.dataobj).astype(np.int32), aal.affine)
nib.save(mgz, os.path.join(out, "aal.mgz"))


# lh.white: a conformed volume (1 mm, 256^3, axes towards L, I, A) centred where
# the atlas is: tkregister coordinates are scanner coordinates minus the centre.
centre = mgz.header["Pxyz_c"]
fsio.write_geometry(os.path.join(out, "lh.white"), world - centre, faces, create_stamp="created by the tests",
                    volume_info={"head": [2, 0, 20], "valid": "1  # volume info valid", "filename": "orig.mgz",
                                 "volume": [256, 256, 256], "voxelsize": [1, 1, 1], "xras": [-1, 0, 0],
                                 "yras": [0, 0, -1], "zras": [0, 1, 0], "cras": centre})

# tkr.surf.gii: tkregister space of the atlas's own grid (R A S axes, not conformed).
header = mgz.header
to_scanner = header.get_vox2ras() @ np.linalg.inv(header.get_vox2ras_tkr())
tkr = nib.affines.apply_affine(np.linalg.inv(to_scanner), world)
dims, sizes = header["dims"][:3], header["delta"]
directions, centre = header["Mdc"], header["Pxyz_c"]  # Mdc rows: the direction of each voxel axis
meta = {"AnatomicalStructurePrimary": "CortexLeft", "VolGeomWidth": str(dims[0]), "VolGeomHeight": str(dims[1]),
        "VolGeomDepth": str(dims[2])}
for axis, size in zip("XYZ", sizes):
    meta[f"VolGeom{axis}size"] = f"{size:.6f}"
for axis, values in zip("XYZC", [directions[0], directions[1], directions[2], centre]):
    for component, value in zip("RAS", values):
        meta[f"VolGeom{axis}_{component}"] = f"{value:.6f}"
pointset = nib.gifti.GiftiDataArray(tkr.astype(np.float32), intent="NIFTI_INTENT_POINTSET",
                                    datatype="NIFTI_TYPE_FLOAT32", meta=nib.gifti.GiftiMetaData(meta))
triangles = nib.gifti.GiftiDataArray(faces, intent="NIFTI_INTENT_TRIANGLE", datatype="NIFTI_TYPE_INT32")
nib.save(nib.gifti.GiftiImage(darrays=[pointset, triangles]), os.path.join(out, "tkr.surf.gii"))
print(len(world), "vertices")
