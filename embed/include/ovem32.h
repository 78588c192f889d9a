#ifndef OVEM32_H
#define OVEM32_H
/* ovem32: the weights of two convolutional networks, a 68-point landmark network and a
 * residual network giving a 128-value face embedding, loaded from a weights manifest (JSON)
 * and the weight files it names, dequantised to float and checked against the layout each
 * network expects.
 *
 * Results: every function returns an OvEmResult (OVEM_OK = 0 on success) unless its comment
 * says otherwise; OvEmResultText gives the text of a code. On error the outputs are not
 * written unless a comment says so.
 *
 * Ownership: names and paths are the caller's memory, read during the call only; so are
 * frames, boxes, eyes, landmark points and crops, read or written during the call only. A
 * model from OvEmLoadModel belongs to the caller until given to OvEmFreeModel; tensor data
 * it hands out belongs to the model and lives as long as it.
 *
 * Threads: the library keeps no state between calls. Loads may run on several threads at
 * once; a loaded model is never changed, so any number of threads may query it at once.
 * OvEmFreeModel must not overlap with another call on the same model.
 */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OVEM_API __attribute__((visibility("default")))
#else
#define OVEM_API
#endif

/* Result codes. */
typedef enum OvEmResult {
    OVEM_OK = 0,
    OVEM_E_ARGUMENT = 1,     /* NULL pointer, unknown model kind, no such tensor */
    OVEM_E_NO_MEMORY = 2,    /* not enough memory for the weights */
    OVEM_E_MISSING_FILE = 3, /* manifest, weight or checksum file cannot be opened or read */
    OVEM_E_TRUNCATED = 4,    /* weight files shorter than the tensors the manifest lists */
    OVEM_E_EXCESS_DATA = 5,  /* weight files longer than the tensors the manifest lists */
    OVEM_E_CHECKSUM = 6,     /* a file's SHA-256 differs from its listed sum, or is not listed */
    OVEM_E_MANIFEST = 7,     /* manifest is not strict JSON or misses or misuses a field */
    OVEM_E_SHAPE = 8,        /* a tensor is missing, unexpected, or of another shape */
    OVEM_E_VALUE = 9,        /* a weight is not a finite number */
    OVEM_E_FACE_BOX = 10,    /* face box too small, too large, or wholly outside the frame */
    OVEM_E_FLAT_FACE = 11    /* every frame pixel in the face box has the same grey level */
} OvEmResult;

/* The English text of a result code: a static string, never NULL; a code that is not an
 * OvEmResult gives "unknown status". Thread-safe. */
OVEM_API const char* OvEmResultText(int code);

/* The networks. */
typedef enum OvEmModelKind {
    OVEM_MODEL_LANDMARKS68 = 1, /* 112 x 112 colour crop -> 68 (x, y) points */
    OVEM_MODEL_EMBEDDING128 = 2 /* 150 x 150 colour crop -> 128 values */
} OvEmModelKind;

/* The usual file name of a kind's manifest (for example
 * "face_recognition_model-weights_manifest.json"): a static string, or NULL for an unknown
 * kind. Not a result code. Thread-safe. */
OVEM_API const char* OvEmManifestName(int kind);

typedef struct OvEmModel OvEmModel;

/* Loads the network of the given kind from manifestPath. The weight files the manifest's
 * "paths" name are plain file names, read from the manifest's folder in order. With a
 * non-NULL sumsPath, a file in the format of sha256sum (64 hex digits, two spaces or a
 * space and '*', a file name, one a line), the manifest and every weight file must be
 * listed there under their file name with the SHA-256 of their bytes.
 * On success *model is a new model. Errors: OVEM_E_ARGUMENT (NULL path or output, unknown
 * kind), OVEM_E_MISSING_FILE, OVEM_E_TRUNCATED, OVEM_E_EXCESS_DATA, OVEM_E_CHECKSUM (also a
 * sums file with a malformed line), OVEM_E_MANIFEST, OVEM_E_SHAPE, OVEM_E_VALUE,
 * OVEM_E_NO_MEMORY; *model is then NULL (when model is not NULL). Bad files never crash. */
OVEM_API int OvEmLoadModel(int kind, const char* manifestPath, const char* sumsPath,
                           OvEmModel** model);

/* Frees a model; NULL is ignored. Not a result code. */
OVEM_API void OvEmFreeModel(OvEmModel* model);

/* The model's kind, tensor count, and the number of float weights it holds in all.
 * Errors: OVEM_E_ARGUMENT for a NULL argument. */
OVEM_API int OvEmModelInfo(const OvEmModel* model, int* kind, uint32_t* tensorCount,
                           uint64_t* weightCount);

/* The dequantised weights of the named tensor (as in the manifest, for example "fc/bias"),
 * row-major in the manifest's shape: *data points into the model, *count is the number of
 * floats. Errors: OVEM_E_ARGUMENT for a NULL argument or a name the network has not. */
OVEM_API int OvEmModelTensor(const OvEmModel* model, const char* name, const float** data,
                             uint64_t* count);

/* Landmarks. */
typedef struct OvEmBox {
    int32_t left, top, width, height; /* frame pixels; may reach past the frame's border */
} OvEmBox;

#define OVEM_LANDMARK_COUNT 68
#define OVEM_CROP_SIDE 150

/* The 68 landmarks of the face in box, in frame pixels: points holds x0, y0, x1, y1, ...
 * in the usual 68-point order (0-16 jaw, 17-26 brows, 27-35 nose, 36-41 the eye on the
 * image's left, 42-47 the other eye, 48-67 mouth). grey is width x height bytes, rows top
 * to bottom. The box is padded to a square (centred on its shorter side) and scaled to the
 * network's 112 x 112 input; box pixels outside the frame count as black. Points may lie
 * outside the box or the frame.
 * Errors: OVEM_E_ARGUMENT for a NULL argument, a model that is not of kind
 * OVEM_MODEL_LANDMARKS68, or width or height outside 1..32767; OVEM_E_FACE_BOX when a box
 * side is below 16 or above 8192 pixels, |left| or |top| exceeds 16384, or the box does not
 * overlap the frame; OVEM_E_FLAT_FACE when the box's pixels in the frame are all one grey
 * level. Thread-safe (the model is only read); allocates about 2.5 MB for the call. */
OVEM_API int OvEmLandmarks(const OvEmModel* model, const uint8_t* grey, int width, int height,
                           const OvEmBox* box, float points[2 * OVEM_LANDMARK_COUNT]);

/* The face box OvEmLandmarks expects for a face whose eye centres are (xl, yl) and (xr, yr)
 * in frame pixels, as the face search finds them: a square of 3.0 eye distances, centred
 * across between the eyes, its top 0.30 of its side above them; side, left and top rounded
 * to the nearest pixel (halves away from zero). The box may reach past the frame.
 * Errors: OVEM_E_ARGUMENT for a NULL box or a coordinate that is not finite;
 * OVEM_E_FACE_BOX when a coordinate exceeds 16384 in magnitude or the eyes lie less than 6
 * or more than 2700 pixels apart. Thread-safe. */
OVEM_API int OvEmFaceBoxFromEyes(float xl, float yl, float xr, float yr, OvEmBox* box);

/* The landmarks of the face whose eye centres the face search gave, eyes = {xl, yl, xr,
 * yr} in frame pixels: OvEmLandmarks in the box of OvEmFaceBoxFromEyes. When the eyes of
 * those landmarks would move that box by more than 0.30 of its side, or either of them lies
 * more than 0.40 eye distances from its given eye, the given eyes are taken to be wrong and
 * the face is looked for again: from each of eight starting boxes
 * (that box, 2 and 3 times as large about the eyes' midpoint, the frame's bounding square,
 * and squares of 0.8 x the frame's shorter side at its top left, top centre, top right and
 * centre) the box is moved up to three times to the box of its landmarks' eyes, and the
 * landmarks of the box they move least are given. box (may be NULL) receives the box of
 * the points. The same input always gives the same points.
 * Errors: those of OvEmLandmarks (OVEM_E_ARGUMENT also for NULL eyes; box may be NULL);
 * OVEM_E_FACE_BOX also for eyes OvEmFaceBoxFromEyes refuses. Thread-safe; takes one
 * landmark pass (about 8 ms), up to 33 when the face is looked for again. */
OVEM_API int OvEmLandmarksFromEyes(const OvEmModel* model, const uint8_t* grey, int width,
                                   int height, const float eyes[4],
                                   float points[2 * OVEM_LANDMARK_COUNT], OvEmBox* box);

/* The landmarks of a face in a frame without eyes to start from (the face search found
 * none): the search of OvEmLandmarksFromEyes from the frame's bounding square and the four
 * squares of 0.8 x its shorter side only. Meant for frames that show one face filling a
 * good part of them; box (may be NULL) receives the box of the points.
 * Errors: OVEM_E_ARGUMENT as OvEmLandmarks; OVEM_E_FACE_BOX (a frame whose longer side is
 * below 16 pixels) or OVEM_E_FLAT_FACE when no box gives points. Thread-safe; up to 20
 * landmark passes. */
OVEM_API int OvEmFindLandmarks(const OvEmModel* model, const uint8_t* grey, int width,
                               int height, float points[2 * OVEM_LANDMARK_COUNT], OvEmBox* box);

/* The OVEM_CROP_SIDE x OVEM_CROP_SIDE (150 x 150) grey crop OvEmEmbedding takes, placed by
 * the landmarks from OvEmLandmarks: an upright square whose side is the mean distance of
 * the two eye centres (means of points 36-41 and 42-47) from the mouth centre (mean of
 * 48-67) divided by 0.45, with the centroid of the three centres at 0.50 across and 0.43
 * down; its side and corner are rounded down to whole pixels. Crop pixel (u, v) is the
 * bilinear value of the frame at corner + (u, v) x side / 150 (the square's last row and
 * column repeated, black outside the frame), rounded to the nearest grey level (halves up),
 * computed in double precision in a fixed order, so the same input gives the same crop.
 * Errors: OVEM_E_ARGUMENT for a NULL argument, width or height outside 1..32767 or a point
 * that is not finite; OVEM_E_FACE_BOX when the crop's side is below 8 or above 8192 pixels
 * or its centre lies more than 16384 pixels from the origin. The crop is the caller's
 * buffer and is written only on success. Thread-safe; allocates nothing. */
OVEM_API int OvEmAlignedCrop(const uint8_t* grey, int width, int height,
                             const float points[2 * OVEM_LANDMARK_COUNT],
                             uint8_t crop[OVEM_CROP_SIDE * OVEM_CROP_SIDE]);

/* Embedding. */

/* The 128-value embedding of a face crop: crop holds 150 x 150 pixels, rows top to bottom,
 * channels 1 (grey, taken for red, green and blue) or 3 (red, green, blue interleaved); the
 * crop is the caller's and is only read. Crops of one face lie close together by
 * OvEmDistance. The same model and crop give the same bits on every call and thread.
 * Errors: OVEM_E_ARGUMENT for a NULL argument, a model that is not of kind
 * OVEM_MODEL_EMBEDDING128 or channels other than 1 or 3; OVEM_E_NO_MEMORY. Thread-safe (the
 * model is only read); allocates about 2 MB for the call. */
OVEM_API int OvEmEmbedding(const OvEmModel* model, const uint8_t* crop, int channels,
                           float embedding[128]);

/* The Euclidean distance of two embeddings, summed in double precision in a fixed order.
 * Not a result code: -1 when a or b is NULL. Thread-safe. */
OVEM_API float OvEmDistance(const float a[128], const float b[128]);

#ifdef __cplusplus
}
#endif

#endif /* OVEM32_H */
