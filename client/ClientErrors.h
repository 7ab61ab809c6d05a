#pragma once

/* The return codes of the directory client we ship. Every entry point of ClientAbi.h returns 0
 * on success and one of these negative codes on failure (NWIsDSServer and NWLongSwap answer
 * values instead, as their declarations say). The numbers follow the directory's tradition:
 * -3xx for faults the client finds on its own side (handles, buffers, names), -6xx for answers
 * of the directory itself (missing entries and values, duplicates), so that a caller that shows
 * a code as hexadecimal text gives a user something to search for. */

#ifdef __cplusplus
extern "C" {
#endif

enum NWClientError {
  /* ---- the caller's side: handles, buffers, arguments ---- */
  kNWErrNotEnoughMemory = -301,
  kNWErrBadKey = -303,            /**< NWDSGetContext/NWDSSetContext: a key we do not keep */
  kNWErrBadContext = -304,        /**< not a live context handle */
  kNWErrBufferFull = -305,        /**< a request does not fit into its buffer */
  kNWErrBufferEmpty = -308,       /**< nothing more to take out of a result buffer */
  kNWErrBadVerb = -309,           /**< a buffer used for what it was not initialised for */
  kNWErrInvalidObjectName = -315, /**< an object or context name that does not parse */
  kNWErrInvalidHandle = -323,     /**< not a live buffer (freed, never allocated, garbage) */
  kNWErrBufferZeroLength = -324,  /**< NWDSAllocBuf of a size outside 64..65536 */
  kNWErrInvalidAttrSyntax = -326, /**< a syntax whose values this client cannot carry */
  kNWErrContextCreation = -329,   /**< too many live contexts */
  kNWErrNullPointer = -332,
  kNWErrNoServerFound = -333,   /**< a server or tree other than the local one was named */
  kNWErrNoConnection = -334,    /**< a connection handle other than the local connection */
  kNWErrNameTooLong = -354,     /**< a name that does not fit into its buffer */
  kNWErrAttrNameTooLong = -344, /**< an attribute name of more than 32 characters */

  /* ---- the directory's answers ---- */
  kNWErrNoSuchEntry = -601,     /**< the object does not exist */
  kNWErrNoSuchValue = -602,     /**< removing a value that is not there */
  kNWErrNoSuchAttribute = -603, /**< none of the attributes asked for has a value */
  kNWErrSyntaxViolation = -613, /**< a value too long, or of another syntax than the rest */
  kNWErrDuplicateValue = -614,  /**< adding a value equal to one that is there */
  kNWErrAttributeAlreadyExists = -615,
  kNWErrDatabaseFormat = -617,       /**< the store is not our database, or a newer one */
  kNWErrInconsistentDatabase = -618, /**< the store is corrupt; it is left as it is */
  kNWErrServerDown = -625,           /**< the directory server cannot be reached, or went away */
  kNWErrTimeout = -626,              /**< the directory server did not answer within the timeout */
  kNWErrAmbiguousEntry = -627,       /**< several entries match the user; none is taken as theirs */
  kNWErrInvalidRequest = -641,       /**< a request this client does not serve */
  kNWErrInvalidIteration = -642,     /**< an iteration handle that is not live, or reused */
  kNWErrInsufficientBuffer = -649,   /**< a result buffer too small for a single value */
  kNWErrStoreBusy = -654,            /**< another run held the store past the busy timeout */
  kNWErrFailedAuthentication = -669, /**< the directory refused the credentials */
  kNWErrNoAccess = -672,             /**< the store is read-only, or a privilege is missing */
  kNWErrDirectoryRefused = -697,     /**< any other refusal of the directory server */
  kNWErrConfiguration = -698,        /**< directory.conf cannot be read or is not valid */
  kNWErrStoreUnavailable = -699      /**< the store cannot be opened or created */
};

#ifdef __cplusplus
}
#endif
