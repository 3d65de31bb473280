// xmlnode: the engine's XML documents, a small element tree with a tolerant tokenizer,
// a writer and the zlib-compressed "ZXML" form; reads through TFile, logs through WriteDbg.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

#include "core/foundation/str.h"

class TFile;
class TXmlArena;
struct TParseLevel;

// Bytes from a document's arena, aligned like a pointer; they go when the document goes.
void* XmlArenaAllocate(TXmlArena* arena, size_t bytes);

// Where a node's lists keep their entries: in its document's arena for nodes a parse made,
// on the heap for nodes built by hand. Lists never take another list's arena.
template <class T>
class TXmlAllocator
{
public:
  using value_type = T;
  using propagate_on_container_copy_assignment = std::false_type;
  using propagate_on_container_move_assignment = std::false_type;
  using propagate_on_container_swap = std::false_type;

  TXmlAllocator() = default;
  explicit TXmlAllocator(TXmlArena* arena) : mArena(arena) {}
  template <class U>
  TXmlAllocator(TXmlAllocator<U> const& other) : mArena(other.mArena)
  {}

  T* allocate(size_t n)
  {
    return static_cast<T*>(mArena ? XmlArenaAllocate(mArena, n * sizeof(T)) : ::operator new(n * sizeof(T)));
  }
  void deallocate(T* p, size_t)
  {
    if (!mArena)
      ::operator delete(p);
  }
  // A copy of a list is a list of its own, on the heap.
  TXmlAllocator select_on_container_copy_construction() const { return TXmlAllocator(); }

  template <class U>
  bool operator==(TXmlAllocator<U> const& other) const
  {
    return mArena == other.mArena;
  }
  template <class U>
  bool operator!=(TXmlAllocator<U> const& other) const
  {
    return mArena != other.mArena;
  }

  TXmlArena* mArena = nullptr;
};

// Deepest element nesting a parse accepts; deeper input is refused instead of
// recursing until the stack runs out (replies from the network come through here).
constexpr int kMaxXmlDepth = 256;

// Largest document, plain or inflated, that is read into memory.
constexpr unsigned long kMaxXmlBytes = 64ul * 1024 * 1024;

// A source of bytes for the parser. The depth counter and error flag carry the state of
// one top-level parse through the recursive descent.
//
// The tokenizer reads through GetByte, which takes bytes from a window of the source's
// memory [mNext, mEnd) without a call, and asks the source (Underflow) only when the window
// runs dry; a source without a window answers every byte from DoGetChar.
class TGetChar
{
public:
  TGetChar() : mDepth(0), mError(false) {}
  virtual ~TGetChar() {}
  // The next byte, or -1 at the end.
  virtual int DoGetChar() = 0;
  // Steps back one byte; returns -1 when it cannot.
  virtual int UngetChar(int c) = 0;
  virtual void Rewind() = 0;

  // The next byte (0 to 255), or -1 at the end.
  int GetByte() { return mNext < mEnd ? *mNext++ : Underflow(); }
  // Steps back over the byte c just read.
  void UngetByte(int c)
  {
    if (mNext > mWindowStart)
      --mNext;
    else
      UngetChar(c);
  }
  // The bytes readable without a call: from Window() up to WindowEnd(). Skip(p) consumes
  // them up to p.
  unsigned char const* Window() const { return mNext; }
  unsigned char const* WindowEnd() const { return mEnd; }
  void Skip(unsigned char const* to) { mNext = to; }

  int mDepth;
  // Raised when the input ends inside a tag.
  bool mError;
  // Raised when the input ends while an element is still open (its end tag never came).
  bool mEndedOpen = false;
  // What is being parsed (a file name), for error lines; null when unnamed.
  char const* mSource = nullptr;
  // When set, a refusal is described here instead of in an error line.
  str* mFailure = nullptr;

protected:
  // The byte after the window: refills it, or reads the byte another way; -1 at the end.
  virtual int Underflow() { return DoGetChar(); }

  unsigned char const* mWindowStart = nullptr;
  unsigned char const* mNext = nullptr;
  unsigned char const* mEnd = nullptr;
};

// Bytes of a file of the virtual file system, 0 to 255. Reads ahead in blocks so the
// many one-byte steps back of the tokenizer stay in memory.
class TGetCharFile : public TGetChar
{
public:
  // Takes ownership of the qv_ handle (may be null: the source is then empty).
  TGetCharFile(TFile* handle, str const& name);
  ~TGetCharFile() override;
  int DoGetChar() override;
  int UngetChar(int c) override;
  void Rewind() override;
  // Closes the handle and opens the named file again for reading.
  virtual void ReOpenAsBinary();

protected:
  int Underflow() override;

private:
  bool Refill();
  // Empties the window (the block must be read again).
  void DropBlock();

  TFile* mFile;
  str mName;
  unsigned char mBlock[4096];
};

// Bytes in memory, not owned. Bytes come back as signed chars, so 0xFF reads as the end.
class TGetCharString : public TGetChar
{
public:
  TGetCharString(char const* text, unsigned long length);
  int DoGetChar() override
  {
    // A 0xFF byte is the end marker: the window stops before it, so the input ends there.
    if (mNext >= mEnd)
      return -1;
    return (int)(signed char)*mNext++;
  }
  int UngetChar(int c) override
  {
    if (mNext == mWindowStart)
      return -1;
    --mNext;
    return c;
  }
  void Rewind() override { mNext = mWindowStart; }

protected:
  int Underflow() override { return -1; }
};

class TXmlNode
{
public:
  struct TAttribute
  {
    str mName;
    str mValue;
    // Written in double quotes (decides whether the writer quotes it again).
    bool mQuoted;
  };

  TXmlNode();
  explicit TXmlNode(char const* name);
  // Copies are deep: each copy owns its own children.
  TXmlNode(TXmlNode const& other);
  TXmlNode& operator=(TXmlNode const& other);
  virtual ~TXmlNode();

  // Parsing appends the document's top-level elements as children of this node. Each
  // returns false, after one "ERROR: " line, when the input could not be read or was
  // refused (corrupt compressed block, nesting too deep, input ending inside a tag);
  // what was parsed before the fault stays in the tree.
  bool ParseFile(char const* name);
  // A zero-terminated text; one beginning with "ZXML" is a compressed block. The source,
  // when given, names what the text came from in error lines.
  bool ParseString(char const* text, char const* source = nullptr);
  // The same over a buffer of known size (plain or "ZXML"); every length is checked.
  bool ParseBuffer(char const* data, unsigned long size, char const* source = nullptr);
  // ParseBuffer that also refuses a document cut short: one whose input ends while an
  // element is still open. For replies that must arrive whole.
  bool ParseWhole(char const* data, unsigned long size, char const* source);
  // The same, for a caller that reports the refusal itself, with what follows from it: nothing
  // is logged, and *failure says what was wrong.
  bool ParseWhole(char const* data, unsigned long size, char const* source, str* failure);
  // A "ZXML" block whose size the caller does not know: its header is trusted for the
  // compressed length, so prefer the sized form.
  bool DecompressAndParse(char const* block);
  bool DecompressAndParse(char const* block, unsigned long size);
  bool Parse(TGetChar* source);
  // Reads one tag after its "<"; *endTag is set when it was an end tag.
  TXmlNode* ParseTag(TGetChar* source, bool* endTag);

  str const& GetName() const { return mName; }
  void SetName(char const* name);
  str const& GetContent() const { return mContent; }
  void SetContent(char const* content);

  bool HasChildren() const { return !mChildren.empty(); }
  TXmlNode* CreateChild(char const* name);
  TXmlNode* GetChild(char const* name) const;
  void ResetChildren() { mChildCursor = 0; }
  bool GetNextChild(str* name, TXmlNode** child);

  str GetAttribute(char const* name, bool* quoted = nullptr) const;
  void ResetAttributes() { mAttributeCursor = 0; }
  void SetAttribute(char const* name, char const* value);
  void SetAttribute(char const* name, int value);

  str AsString();
  void AsString(str* out, unsigned* position, int indent);

protected:
  // Parsing callbacks; a subclass may build something other than a tree.
  virtual TXmlNode* OnOpenTag(str const& name);
  virtual void OnEndTag(str const& tag);
  virtual void OnContent(str const& text, int length);
  virtual void OnAttribute(str const& name, str const& value, bool quoted);

private:
  friend class TXmlWriter;

  // A node made by a parse, in the document's arena.
  explicit TXmlNode(TXmlArena* arena);
  void CopyFrom(TXmlNode const& other);
  void Clear();
  bool ParseTokens(TGetChar* source);
  // Parses plain or "ZXML" bytes through one source named `what`; *endedOpen tells whether
  // an element was left open at the end.
  bool ParseNamedBuffer(char const* data, unsigned long size, char const* what, bool* endedOpen,
                        str* failure = nullptr);
  void AdoptChild(TXmlNode* child);
  // Content of the parse in progress, as OnContent adds it.
  void AppendContent(char const* bytes, size_t n);
  // True when the parsing callbacks are TXmlNode's own (not a subclass's).
  bool HasOwnCallbacks() const;
  // A node in an arena that takes something of the heap makes its document destroy its
  // nodes one by one.
  void NoteHeapPart();

  str mContent;
  int mContentLength;
  // While this node's Parse runs, content tokens and the children made collect here and
  // reach the node once at its end: str has no cheap append (its length is a strlen), so
  // appending token by token would take time quadratic in the length of the text.
  TParseLevel* mLevel;
  unsigned mSizeHint;
  str mName;
  std::vector<TXmlNode*, TXmlAllocator<TXmlNode*>> mChildren;
  size_t mChildCursor;
  std::vector<TAttribute, TXmlAllocator<TAttribute>> mAttributes;
  size_t mAttributeCursor;
  // The arena of the nodes a parse into this node makes: the document's, or one this node
  // owns (a node parsed outside any document), or none yet.
  TXmlArena* mArena;
  bool mOwnsArena;
  // Made by a parse in mArena: destroyed, not deleted, and only when the document's nodes
  // hold something of the heap.
  bool mInArena;
};

// The tokenizer: a run of characters, a double-quoted string (quotes dropped) or one of
// "<", ">", "="; escapes resolved. An empty unquoted token means the input ended.
str qvGetToken(TGetChar* source, bool* quoted, bool* escaped, int* length);
// Resolves the five named escapes and decimal "&#N;" references in place.
void removeXMLEscapeChars(str& text, int* length, bool* escaped);
// The text with the five special characters and every byte below 32 or above 127 escaped.
str xmlSafeString(char const* text);

// Inflates a "ZXML" block of the given size into *out after checking its header against
// that size; false, after one "ERROR: " line naming what, when the block is not sound.
bool qvInflateZxml(char const* block, unsigned long size, char const* what, std::vector<char>* out);
