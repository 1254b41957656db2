#pragma once

#include <string>

#include <xapian.h>

// A stemmer for the recognition languages of the settings, such as "deu+eng":
// each language's stemmer in turn, the first that changes the word wins. The
// same words are stemmed the same way when indexing and when searching, so a
// document in either language is found by the other forms of its words.
// Languages without a stemmer are skipped; none left gives no stemming.
Xapian::Stem StemmerForLanguages(const std::string& languages);
