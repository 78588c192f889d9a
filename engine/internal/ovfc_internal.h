#pragma once
// The face library's internal interface for the development tools (training, evaluation,
// mask building). It is the tools' only way into the engine beside the C interface of
// ovfc32.h; link the target ovfc32_static, which holds the engine once, with that C
// interface over the same library-wide state.
//
// Calls, in namespace ovfc. Unless a line says otherwise a call returns a status code
// (enum Status: 0 success, else the library's codes 1, 2, 3, 25-30), may raise XERRORINI
// where a needed configuration value is missing, takes no ownership of the caller's buffers
// and keeps no reference to them after it returns.
//
// Thread safety: a LibraryState and everything made from it (FaceContext, MaskSet on its
// pool) belong to one thread at a time; distinct states may be used on distinct threads at
// once. Nothing here touches the library-wide state behind the C interface.
//
// Library state (library_state.h)
//   LibraryState                 pool, configuration, default masks, last-match table and
//                                probe cache of one engine instance; owns all of them.
//   loadConfiguration(state, path)
//                                configuration file and its default masks into state:
//                                0, 3, 25, 27; XERRORINI without "DefaultMasks".
//   state.defaultMasks.read(blob, size, kNormalise)
//                                replaces the default masks; clear state.probeCache first.
//
// Processing and comparison (face_calls.h)
//   ProcessOptions               eye and nose positions given instead of searched, and the
//                                base-file name.
//   createDescriptor(state, image, w, h, reference, difference, blob, &size, options)
//                                descriptor of the face in a w x h image into a buffer of
//                                kMaxBlobSize bytes: 0, 1, 3, 26, 27, 30.
//   matchItems(state, first, second, &score, w, h, options)
//                                similarity score of an image and a descriptor (either
//                                order) or of two images; both w x h of at least
//                                kMagicSize bytes. 29 for two descriptors.
//   faceInfo(state, blob, elements, first, &count)
//                                element records of a descriptor, or of the last match
//                                when blob is null.
//
// One stage at a time (face_context.h, image_intake.h, pipeline.h)
//   FaceContext(state)           per-call working record; gives its pool blocks back when
//                                destroyed.
//   takeInImage(ctx, image, w, h, reference)    copy, grey range, stretch: 0, 1, 3.
//   ProcessForMatching(ctx)      pipeline in matching mode on ctx.masks: 0, 3, 26, 27, 30.
//   BuildComparisonVector(ctx, vector)
//                                ctx.elementCount x ctx.filterCount entries: 0, 3, 26, 27.
//
// Data (mask.h, config_store.h, descriptor_blob.h, filters/resample.h)
//   MaskSet, Mask, BlockPool     masks read from and written as descriptor blobs.
//   ConfigStore                  the configuration file: load, find, set, save, read*.
//   isDescriptor(item)           whether kMagicSize bytes at item are the magic; true/false.
//   ResampleRotated(image, ox, oy, g, cx, sx, out)
//                                rotated disc-aperture resampling; no result.

#include "../src/config_store.h"
#include "../src/descriptor_blob.h"
#include "../src/face_calls.h"
#include "../src/face_context.h"
#include "../src/filters/resample.h"
#include "../src/image_intake.h"
#include "../src/library_state.h"
#include "../src/load_config.h"
#include "../src/mask.h"
#include "../src/pipeline.h"
#include "../src/status.h"
#include "ovfc32.h"
