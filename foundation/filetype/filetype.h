#pragma once
// The abstract document type: which file names it reads and writes, how it
// reads and writes itself through a file access, and what it knows about the
// file behind it. The order of the virtual operations is fixed; document
// types override them in place.
#include "foundation/filetype/fileaccess.h"
#include "foundation/filetype/fileinfo.h"
#include "foundation/utilcls.h"

#include <cstdint>
#include <string>

namespace kelvo {

class TStream;

class TFileType {
public:
    TFileType();
    virtual ~TFileType();
    TFileType(const TFileType&) = delete;
    TFileType& operator=(const TFileType&) = delete;

    // Makes the document new and empty; every Read starts with it.
    virtual void Clear();
    // Reads the document from the stream of the access's Reader.
    virtual void DoRead(TFileAccess& access);
    // Opens the Writer (OpenWrite), writes the document and ends the transfer
    // with Finish(0). fromWrite is true when Write calls it.
    virtual void DoWrite(TFileAccess& access, bool fromWrite);
    // True when there is nothing worth saving.
    virtual bool IsEmpty() const;
    // The type's category bits, matched by the reader and writer searches.
    virtual std::uint32_t Category() const = 0;
    virtual std::string GetTypeName() const = 0;
    // Extensions one after the other, each with its dot: ".dat.kelvo".
    virtual std::string GetReadExtensions() const = 0;
    virtual std::string GetWriteExtensions() const;
    // Reads the file and tells whether this type accepts it.
    virtual bool TryRead(TFileAccess& access, int accept);
    // Whether this type can save the content of source.
    virtual bool CanWrite(const TFileType& source) const;
    virtual std::int64_t CopyStream(TStream& source, std::int64_t count, const std::string& name,
                                    TStream& destination);
    // Kept in its place for the types that occupy the slot; nothing asks it.
    virtual std::uint8_t ReservedQuery() const;
    // The file information text followed by the type name.
    virtual std::string GetInfoText() const;
    // Kept in its place for the types that occupy the slot; nothing calls it.
    virtual void ReservedHook();
    // Called whenever the application goes idle; done is the idle event's flag.
    virtual void Idle(void* sender, bool& done);
    virtual void SetFileName(const std::string& name);

    // Clear, then read through the Reader when it accepts the name and opens.
    void Read(TFileAccess& access);
    // Write through the Writer when this type writes its name. A write
    // abandoned by an exception removes its temporary file before going on.
    void Write(TFileAccess& access);
    bool CanReadName(const std::string& name) const;
    bool CanWriteName(const std::string& name) const;
    const std::string& GetFileName() const { return Info.Name; }
    // Conversion between document types does not exist: only this very object
    // is accepted, anything else raises.
    void Assign(const TFileType& source);

    // Tries every registered type on the Reader's file; the first that
    // accepts it lands in result.
    static bool FindReader(TFileAccess& access, TPtr<TFileType>& result,
                           std::uint32_t excludedCategories);
    // Finds a type that writes name for source: the source itself (result
    // stays empty) or a registered type of categoryGiver's category.
    static bool FindWriter(const TFileType& categoryGiver, TPtr<TFileType>& result,
                           const std::string& name, TFileType& source);

    TFileInfo Info;
};

// Creates a new document of one type; the caller owns it.
using TFileTypeCreator = TFileType* (*)();

// The registered creators, ending with a null entry. Empty unless a table is
// installed: document windows create their documents themselves.
const TFileTypeCreator* FileTypeRegistry();
// Installs a null-terminated table (null restores the empty one) and returns
// the one it replaces. The table is not copied.
const TFileTypeCreator* SetFileTypeRegistry(const TFileTypeCreator* table);

} // namespace kelvo
