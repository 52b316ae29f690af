// The classes of the schema object model that lower layers name: the root TyObject,
// header (folder) nodes and object nodes, one class per kind.  Here they are only what a
// class reference needs: the browser's model gives them their data and actions.
//
// A class reference is the class's type_info (TyObjectClass); null stands for "no class".
#pragma once

#include <typeinfo>

#include "framework/core/component.h"

namespace tess {

using TyObjectClass = const std::type_info*;

class TyObject : public TObject {};
// Folder nodes: they load their children from the data dictionary.
class TyObjHdr : public TyObject {};
class TyOwnedObjHdr : public TyObjHdr {};
// Object nodes.
class TyDbObject : public TyObject {};

class TyTableHdr : public TyOwnedObjHdr {};
class TyColumnHdr : public TyObjHdr {};
class TyViewHdr : public TyOwnedObjHdr {};
class TyClusterHdr : public TyOwnedObjHdr {};
class TyIndexHdr : public TyOwnedObjHdr {};
class TyTriggerHdr : public TyOwnedObjHdr {};
class TyConstraintHdr : public TyOwnedObjHdr {};
class TyDBLinkHdr : public TyOwnedObjHdr {};
class TySnapshotHdr : public TyOwnedObjHdr {};
class TyProcedureHdr : public TyOwnedObjHdr {};
class TyFunctionHdr : public TyOwnedObjHdr {};
class TyPackageHdr : public TyOwnedObjHdr {};
class TyPackageBodyHdr : public TyOwnedObjHdr {};
class TySequenceHdr : public TyOwnedObjHdr {};
class TySynonymHdr : public TyOwnedObjHdr {};
class TyDBRoleHdr : public TyObjHdr {};
class TyUserHdr : public TyObjHdr {};
class TyProfileHdr : public TyObjHdr {};

class TyTable : public TyDbObject {};
class TyColumn : public TyDbObject {};
class TyView : public TyDbObject {};
class TyCluster : public TyDbObject {};
class TyIndex : public TyDbObject {};
class TyTrigger : public TyDbObject {};
class TyConstraint : public TyDbObject {};
class TyPKConstraint : public TyConstraint {};
class TyUKConstraint : public TyConstraint {};
class TyFKConstraint : public TyConstraint {};
class TyDBLink : public TyDbObject {};
class TySnapshot : public TyDbObject {};
class TyProcedure : public TyDbObject {};
class TyFunction : public TyDbObject {};
class TyPackage : public TyDbObject {};
class TyPackageBody : public TyDbObject {};
class TySequence : public TyDbObject {};
class TySynonym : public TyDbObject {};
class TyDbRole : public TyDbObject {};
class TyUser : public TyDbObject {};
class TyProfile : public TyDbObject {};

}  // namespace tess
