#!/usr/bin/python3
"""Builds a real brain for tests and benchmarks from Debian's mricron-data.

The Colin27 T1 template (ch2bet, 1 mm, 181 x 217 x 181) is thresholded at the
white-matter intensity; the largest connected piece, with its inner cavities
filled, is turned into a closed white-matter surface by marching cubes
(python3-skimage) and written in the volume's world (mm) coordinates with
outward normals (positive signed volume). The AAL atlas of the same template
space (116 labels) is the label volume, and its names and palette become a
FreeSurfer-style colour table.

    /usr/bin/python3 scripts/real_brain.py OUTDIR [--voxel-size MM] [--pepper FRACTION] [--obj]

--voxel-size MM resamples the white-matter mask to MM before marching cubes,
which sets the mesh size: 1 (the default) gives about 373,000 vertices, 2 about
84,000, 2.6 about 48,000, 3 about 34,000. Writes into OUTDIR:
  white.surf.gii   the surface (POINTSET in world mm, TRIANGLE)
  aal.nii.gz       the label volume (a copy of the atlas)
  aal_lut.txt      "value name R G B A" per label
  white.obj        with --obj: the same surface as a Wavefront OBJ file
  pepper.nii.gz    with --pepper: the whole brain as label 1, with FRACTION of
                   its voxels knocked out at random (a fixed seed): one POI
                   riddled with small holes, the worst case of hole filling
Prints the vertex and triangle counts. Needs python3-nibabel, python3-skimage
and mricron-data.
"""
import argparse
import os
import shutil
import sys

import nibabel as nib
import numpy as np
from scipy import ndimage
from skimage import measure

TEMPLATES = "/usr/share/mricron/templates"
WHITE_MATTER_THRESHOLD = 102  # between the grey (about 88) and white (about 114) peaks of ch2bet


def white_matter_mask(t1):
    mask = t1 >= WHITE_MATTER_THRESHOLD
    pieces, count = ndimage.label(mask)
    if count == 0:
        sys.exit("real_brain.py: no voxel above the white-matter threshold")
    sizes = ndimage.sum(mask, pieces, index=np.arange(1, count + 1))
    largest = pieces == (int(np.argmax(sizes)) + 1)
    return ndimage.binary_fill_holes(largest)


def signed_volume(vertices, faces):
    a, b, c = (vertices[faces[:, k]] for k in range(3))
    return float(np.einsum("ij,ij->i", a, np.cross(b, c)).sum() / 6.0)


def surface_in_world(mask, affine, voxel_size):
    field = mask.astype(np.float32)
    if voxel_size != 1.0:
        field = ndimage.zoom(field, 1.0 / voxel_size, order=1)
    # Pad so that the surface closes where the mask touches the volume's edge.
    vertices, faces, _, _ = measure.marching_cubes(np.pad(field, 1), level=0.5, allow_degenerate=False)
    # Undo the padding, then from resampled grid indices to original voxel indices.
    vertices = (vertices - 1.0) * (np.array(mask.shape) - 1) / (np.array(field.shape) - 1)
    world = nib.affines.apply_affine(affine, vertices)
    faces = faces.astype(np.int32)
    if signed_volume(world, faces) < 0:
        faces = faces[:, ::-1].copy()  # outward normals
    return world.astype(np.float32), faces


def write_gifti(path, vertices, faces):
    pointset = nib.gifti.GiftiDataArray(vertices, intent="NIFTI_INTENT_POINTSET",
                                        datatype="NIFTI_TYPE_FLOAT32")
    pointset.coordsys = nib.gifti.GiftiCoordSystem(dataspace=3, xformspace=3)  # talairach: world mm
    triangles = nib.gifti.GiftiDataArray(faces, intent="NIFTI_INTENT_TRIANGLE",
                                         datatype="NIFTI_TYPE_INT32")
    image = nib.gifti.GiftiImage(darrays=[pointset, triangles])
    image.meta = nib.gifti.GiftiMetaData({"AnatomicalStructurePrimary": "CortexLeft"})
    nib.save(image, path)


def write_obj(path, vertices, faces):
    with open(path, "w") as out:
        out.writelines("v %.9g %.9g %.9g\n" % tuple(v) for v in vertices)
        out.writelines("f %d %d %d\n" % (a + 1, b + 1, c + 1) for a, b, c in faces)


def write_colour_table(path):
    palette = np.frombuffer(open(os.path.join(TEMPLATES, "aal.nii.lut"), "rb").read(), dtype=np.uint8)
    red, green, blue = palette[0:256], palette[256:512], palette[512:768]
    with open(os.path.join(TEMPLATES, "aal.nii.txt"), encoding="latin-1") as names, open(path, "w") as out:
        out.write("# AAL labels of mricron-data, value name R G B A\n")
        for line in names:
            words = line.split()
            if len(words) < 2:
                continue
            value = int(words[0])
            out.write(f"{value} {words[1]} {red[value]} {green[value]} {blue[value]} 0\n")


def write_pepper(path, t1, fraction):
    brain = np.asarray(t1.dataobj) > 0
    knocked = np.random.default_rng(20261209).random(brain.shape) < fraction
    labels = (brain & ~knocked).astype(np.uint8)
    nib.save(nib.Nifti1Image(labels, t1.affine), path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--voxel-size", type=float, default=1.0)
    parser.add_argument("--pepper", type=float, default=None)
    parser.add_argument("--obj", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    t1 = nib.load(os.path.join(TEMPLATES, "ch2bet.nii.gz"))
    mask = white_matter_mask(np.asarray(t1.dataobj))
    vertices, faces = surface_in_world(mask, t1.affine, args.voxel_size)
    write_gifti(os.path.join(args.outdir, "white.surf.gii"), vertices, faces)
    if args.obj:
        write_obj(os.path.join(args.outdir, "white.obj"), vertices, faces)
    shutil.copyfile(os.path.join(TEMPLATES, "aal.nii.gz"), os.path.join(args.outdir, "aal.nii.gz"))
    write_colour_table(os.path.join(args.outdir, "aal_lut.txt"))
    if args.pepper is not None:
        write_pepper(os.path.join(args.outdir, "pepper.nii.gz"), t1, args.pepper)
    print(f"{len(vertices)} vertices, {len(faces)} triangles in {args.outdir}/white.surf.gii")


if __name__ == "__main__":
    main()
