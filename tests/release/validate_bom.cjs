// Validates CycloneDX JSON documents against the schema of their format version, with the
// CycloneDX project's own library (strict: no property the schema does not define).
//   node validate_bom.cjs NODE_MODULES BOM.json...
'use strict';
const fs = require('node:fs');
const path = require('node:path');

const [modules, ...documents] = process.argv.slice(2);
const cdx = require(path.resolve(modules, '@cyclonedx/cyclonedx-library'));

async function main() {
  let failed = false;
  for (const document of documents) {
    const text = fs.readFileSync(document, 'utf8');
    const version = JSON.parse(text).specVersion;
    if (!Object.values(cdx.Spec.Version).includes(version)) {
      throw new Error(`${document}: format version ${version} is unknown to this library`);
    }
    const errors = await new cdx.Validation.JsonStrictValidator(version).validate(text);
    if (errors === null) {
      console.log(`${document}: valid CycloneDX ${version}`);
    } else {
      console.error(`${document}: not valid CycloneDX ${version}:\n${JSON.stringify(errors, null, 2)}`);
      failed = true;
    }
  }
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
