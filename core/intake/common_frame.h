#pragma once
// The part of the chosen pictures that they all share when laid over each
// other with their anchor points in the same place, and where it begins in
// each picture's file.
//
// The window's GetF_info is a loop over these calls:
//   1. OffY = readAnchors(job, texts of TextX(0..3), texts of TextY(0..3));
//   2. for slot i = 1 .. job.ViewCount: readSlotHeader(job, i); on failure show
//      its message, set job.ViewCount (and Views) to i - 1 and go on with
//      step 3 (the later slots are then not pictures); on success load the
//      preview, fitPreview and sizeLabel (preview_fit.h);
//   3. frame = computeCommonFrame(job, OffY); if !frame.found, stop;
//   4. proposedWidthText(job): if there is one, set CombK's text to it and
//      then CombG's text to proposedHeightText(CombK's text as it now reads,
//      job.Aspect) (size_proposal.h).
// After a failed header the job so describes exactly the pictures whose
// headers were read in full, and its frame is theirs.

#include "common/status.h"
#include "intake/picture_cache.h"
#include "job/job_state.h"

#include <array>
#include <cstdint>
#include <string>

namespace tovrel {

using AnchorTexts = std::array<std::string, kMaxFrames>;

// Anchors of every frame from the X and Y box texts (leading-number rule):
// OffX into the job in single precision; the Y anchors, working values in
// double precision, are returned.
SlotArray<double> readAnchors(JobState& job, const AnchorTexts& textX, const AnchorTexts& textY);

// Moves frame k of 1..ViewCount (k - keyFrame) x parallax pixels to the
// right: its anchor X moves as far to the left, in single precision.
void shiftAboutKeyFrame(JobState& job, int32_t keyFrame, double parallax);

// Reads the header of InPath(slot) into DataOff, ImgW, ImgH, ImgRes and
// ImgStride of that slot, and sets its RowPath. A plain 24-bit BMP file is
// read in place; any other picture through its decoded row store in `cache`
// (decoded now unless there is one; without a cache it is refused), whose
// fields then describe the upright picture. On failure the slot's fields are
// left as they were and the status carries the message for the user.
Status readSlotHeader(JobState& job, int slot, const PictureCache* cache = nullptr,
                      const DecodeProgress& progress = {});

// The pictures of a job whose frame is placed, read again through another
// cache (the same pictures under other colour settings): each slot's
// RowPath, DataOff, ImgStride and FramePos, and PixelBytes and OutColour,
// describe the other stores; the frame stays where it was.
Status readSlotsThrough(JobState& job, const PictureCache& cache);

struct CommonFrame {
    // Stored row (1-based, from the bottom) of each filled slot's picture
    // that holds the frame's bottom edge.
    SlotArray<int32_t> FrameRow;
    // BaseW and BaseH are both positive: Aspect is set and a print size can
    // be proposed.
    bool found = false;
};

// Extents, FrameCol, FramePos, BaseW and BaseH over slots 1 .. ViewCount from
// their header fields, OffX and the given Y anchors; Aspect when a frame is
// found, else Aspect keeps its value. While at most one slot is filled, 0
// takes part in each extent's minimum. A frame whose numbers do not fit 32
// bits (anchors far outside their pictures) lies outside a picture anyway: it
// is stored as no frame (BaseW, BaseH, FrameCol, FramePos and FrameRow 0).
CommonFrame computeCommonFrame(JobState& job, const SlotArray<double>& OffY);

// Whether the job's frame has a positive size and lies inside every filled
// picture, so that every frame row can be read whole from each file. Works on
// the job alone: each slot's frame row is recovered from FramePos.
bool frameInsidePictures(const JobState& job);

} // namespace tovrel
