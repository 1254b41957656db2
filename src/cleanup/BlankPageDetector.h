#pragma once

struct Pix;
struct PageSketch;

// What a page carries once scanner noise, specks, punch holes, staples, faint
// bleed-through from the other side and dark borders are set apart.
struct PageMarks {
  int paper = 255;         // the grey of the paper
  bool darkPaper = false;  // the page's ground is dark: a cover, a photograph, a test picture
  int broadShare = 0;      // thousandths of the page far from the paper's grey, lighter or darker
  int contentMarks = 0;    // marks that count as content: writing, stamps, pictures, a page number
  int ignoredMarks = 0;    // specks, holes and staples; a border along the edge is no mark
  // Only a page clearly empty is blank: any doubt keeps it.
  bool IsBlank() const;
};

// The grey below which a pixel of a page whose paper is `paper` counts as the
// ink of letters; dark enough that bleed-through stays paper.
int InkThreshold(int paper);
// The grey below which a mean of 2 × 2 pixels counts as a faint mark against
// the paper `localPaper` around it: light pencil counts, bleed-through does not.
int FaintInkThreshold(int localPaper);

// Reads the marks of a page from its sketch (its resolutions set).
PageMarks ReadPageMarks(const PageSketch& sketch);
