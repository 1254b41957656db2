#pragma once

struct Pix;

// What a page carries once scanner noise, specks, punch holes, faint
// bleed-through from the other side and dark borders are set apart.
struct PageMarks {
  int paper = 255;       // the grey of the paper
  int inkBelow = 0;      // greys below this are ink
  int contentMarks = 0;  // marks that count as content: writing, stamps, pictures
  int ignoredMarks = 0;  // specks and holes; a border along the edge is no mark
  bool IsBlank() const { return contentMarks == 0; }
};

// The grey below which a pixel of a page whose paper is `paper` counts as ink;
// light enough for a fine pen, dark enough that bleed-through stays paper.
int InkThreshold(int paper);

// The grey of the paper: the median grey of the page.
int PaperGrey(Pix* grey);

// Reads the marks of a page from its grey image at a quarter of its
// resolution (PageSketch), which is plenty to see a signature and averages
// scanner noise away. The image's resolution must be set.
PageMarks ReadPageMarks(Pix* quarter);
